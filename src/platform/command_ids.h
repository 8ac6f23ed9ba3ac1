// The reader's menu commands by name: the soft-key menus, the desktop's keys, the soft keys and
// the shell's command table all say which command they mean with these, never with a number.
#pragma once
#include <cstdint>

namespace lectra {

constexpr uint32_t kCmdMainMenu = 40001;  // the left soft key's menu
constexpr uint32_t kCmdAbout = 40003;
constexpr uint32_t kCmdActionsMenu = 40004;  // the right soft key's menu
constexpr uint32_t kCmdQuit = 40007;
constexpr uint32_t kCmdFullScreen = 40008;
constexpr uint32_t kCmdRotate = 40009;
constexpr uint32_t kCmdNextProfile = 40010;
constexpr uint32_t kCmdOpen = 40013;
constexpr uint32_t kCmdIncSize = 40016;
constexpr uint32_t kCmdDecSize = 40017;
constexpr uint32_t kCmdBold = 40018;
constexpr uint32_t kCmdColours = 40023;
constexpr uint32_t kCmdGoTo = 40060;
constexpr uint32_t kCmdFind = 40061;
constexpr uint32_t kCmdRecentFiles = 40062;
constexpr uint32_t kCmdDeleteFile = 40063;
constexpr uint32_t kCmdAutoscroll = 40065;
constexpr uint32_t kCmdOpenBookmark = 40066;
constexpr uint32_t kCmdAddBookmark = 40067;
constexpr uint32_t kCmdSaveQuote = 40068;
constexpr uint32_t kCmdOptions = 40069;
constexpr uint32_t kCmdButtons = 40070;
constexpr uint32_t kCmdMargins = 40071;
constexpr uint32_t kCmdCodePage = 40078;
constexpr uint32_t kCmdClearType = 40079;
constexpr uint32_t kCmdFindNext = 40097;
constexpr uint32_t kCmdFileInfo = 40103;
constexpr uint32_t kCmdFont = 40104;
constexpr uint32_t kCmdDecInterval = 40111;
constexpr uint32_t kCmdIncInterval = 40112;
constexpr uint32_t kCmdClockUnderText = 40114;
constexpr uint32_t kCmdAutoscrollSettings = 40131;
constexpr uint32_t kCmdStatusLineSettings = 40132;
constexpr uint32_t kCmdJumpNext = 40133;
constexpr uint32_t kCmdJumpPrevious = 40134;
constexpr uint32_t kCmdFileStart = 40135;
constexpr uint32_t kCmdFileEnd = 40136;
constexpr uint32_t kCmdSaveCodePage = 40137;
constexpr uint32_t kCmdSaveAsTxt = 40138;
constexpr uint32_t kCmdSaveAsPdb = 40139;
constexpr uint32_t kCmdClearBookmarks = 40146;
// Commands of the desktop, beyond the handheld's.
constexpr uint32_t kCmdKeys = 40200;             // a page listing the keys (F1)
constexpr uint32_t kCmdLeaveFullScreen = 40201;  // Escape on the page
constexpr uint32_t kCmdLibrary = 40202;          // the catalogue of the user's books
constexpr uint32_t kCmdContents = 40203;         // the book's contents
constexpr uint32_t kCmdNextChapter = 40204;      // the contents' next entry (Ctrl+Page Down)
constexpr uint32_t kCmdPreviousChapter = 40205;  // and the previous one (Ctrl+Page Up)
constexpr uint32_t kCmdNotes = 40206;            // the notes of the page (Ctrl+N)

}  // namespace lectra
