// The dialogs' template and control ids, named once: the templates
// (resources/dialog_templates.inc), the dialogs' procedures and the tests that drive them use these
// names. Ids are per dialog, so one number may name a different control in another dialog.
#pragma once

namespace lectra {

// Templates.
constexpr int kTemplateAbout = 103;
constexpr int kTemplateBrowser = 109;  // the file browser, the recent books, the buttons
constexpr int kTemplateColours = 112;
constexpr int kTemplateOptions = 119;
constexpr int kTemplateList = 121;  // the bookmarks and the two code-page lists
constexpr int kTemplateGoto = 123;
constexpr int kTemplateAddBookmark = 125;
constexpr int kTemplateFileInfo = 127;
constexpr int kTemplateFont = 128;
constexpr int kTemplateAutoscroll = 132;
constexpr int kTemplateMargins = 133;
constexpr int kTemplateStatusLine = 134;
constexpr int kTemplateFind = 135;
constexpr int kTemplateLibrary = 140;
constexpr int kTemplateContents = 141;
constexpr int kTemplateLibraryFolders = 142;
constexpr int kTemplateNote = 143;

// About, file information.
constexpr int kCtlAboutText = 1000;
constexpr int kCtlFileInfoText = 1065;
constexpr int kCtlFileInfoCover = 1091;
// A caption line over a list: the file browser, the recent books, the buttons.
constexpr int kCtlCaption = 1002;
constexpr int kCtlCaptionedList = 1004;
// The one list of the bookmarks and code-page dialogs; the colour dialog's colour list.
constexpr int kCtlList = 1001;
// The library.
constexpr int kCtlLibraryOrder = 1160;
constexpr int kCtlLibrarySearch = 1161;
constexpr int kCtlLibraryBooks = 1162;
constexpr int kCtlLibraryCount = 1163;
constexpr int kCtlLibraryFolders = 1164;  // the button that opens the folders
// The library's folders.
constexpr int kCtlFoldersCaption = 1180;
constexpr int kCtlFoldersList = 1181;
constexpr int kCtlFoldersAdd = 1182;
constexpr int kCtlFoldersRemove = 1183;
// A note: the page's notes (when there are several) over the chosen one's text.
constexpr int kCtlNoteList = 1190;
constexpr int kCtlNoteText = 1191;
// The contents.
constexpr int kCtlContentsList = 1170;
// Go to.
constexpr int kCtlGotoInfo = 1063;
constexpr int kCtlGotoLabel = 1066;
constexpr int kCtlGotoNumber = 1056;
constexpr int kCtlGotoInPages = 1071;
// Add bookmark.
constexpr int kCtlBookmarkLabel = 1072;
constexpr int kCtlBookmarkName = 1061;
// Find.
constexpr int kCtlFindText = 1067;
constexpr int kCtlFindFromCurrent = 1036;
// Colours: the channels' lists (R, G, B) and their labels, and the preview.
constexpr int kCtlChannelR = 1105;
constexpr int kCtlChannelG = 1106;
constexpr int kCtlChannelB = 1103;
constexpr int kCtlChannelRLabel = 1107;
constexpr int kCtlChannelGLabel = 1108;
constexpr int kCtlChannelBLabel = 1109;
constexpr int kCtlColourPreview = 1090;
// Options.
constexpr int kCtlHyphenLabel = 1139;
constexpr int kCtlHyphen = 1140;
constexpr int kCtlJustify = 1031;
constexpr int kCtlStartFullScreen = 1036;
constexpr int kCtlNoSmoothing = 1048;
constexpr int kCtlProfilesLabel = 1078;
constexpr int kCtlProfiles = 1067;
constexpr int kCtlParagraphs = 1130;
constexpr int kCtlKeepScreenOn = 1039;
constexpr int kCtlKeepOneLine = 1040;
// Font.
constexpr int kCtlBold = 1036;
constexpr int kCtlSmooth = 1037;
constexpr int kCtlSizeLabel = 1087;
constexpr int kCtlSize = 1099;
constexpr int kCtlIntervalLabel = 1088;
constexpr int kCtlInterval = 1113;
constexpr int kCtlWidthLabel = 1089;
constexpr int kCtlWidth = 1115;
constexpr int kCtlFace = 1114;
// Autoscroll.
constexpr int kCtlScrollTypeLabel = 1138;
constexpr int kCtlScrollType = 1136;
constexpr int kCtlBacklightLabel = 1134;
constexpr int kCtlBacklight = 1099;
// Margins: each label is followed by its edit box.
constexpr int kCtlTopLabel = 1074;
constexpr int kCtlTop = 1084;
constexpr int kCtlLeftLabel = 1075;
constexpr int kCtlLeft = 1085;
constexpr int kCtlRightLabel = 1076;
constexpr int kCtlRight = 1086;
constexpr int kCtlBottomLabel = 1077;
constexpr int kCtlBottom = 1073;
// Status line.
constexpr int kCtlInWindowLabel = 1041;
constexpr int kCtlInWindow = 1116;
constexpr int kCtlInFullScreenLabel = 1042;
constexpr int kCtlInFullScreen = 1117;
constexpr int kCtlProgressRight = 1036;
constexpr int kCtlBattery = 1094;
constexpr int kCtlStatusSizeLabel = 1087;
constexpr int kCtlStatusSize = 1099;
constexpr int kCtlStatusMode = 1118;

}  // namespace lectra
