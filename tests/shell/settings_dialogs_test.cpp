// The settings, colour and buttons dialogs: what reaches the page and the settings file.
#include "dialogs/settings_dialogs.h"

#include "dialogs/buttons_dialog.h"
#include "document/text_cache.h"
#include "layout/layout_fonts.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::Choose;
using test::Ended;

int refreshes = 0;

class SettingsDialogs : public test::Reader {
protected:
    void SetUp() override {
        test::Reader::SetUp();
        refreshes = 0;
    }
    // The reader on a copy of the English story, with the dialog's redraws counted.
    App& Begin(const std::string& extraConfig = std::string()) {
        dir.Write("_config.ini", std::string(test::kTestConfig) + "\r\n" + extraConfig);
        Start(Copy("book.txt", test::Sample("en-story.txt")), test::Scripted);
        app->dialogOperations.refresh = [](void* c) {
            ++refreshes;
            Refresh(*static_cast<App*>(c));
        };
        return *app;
    }
};

void Pick(PlatformDialog* d, int list, int index) {
    ListSelect(d, list, index);
    SendDialogCommand(d, list, kListSelectionChange);
}

TEST_F(SettingsDialogs, SavingAFormUnchangedNeitherRedrawsNorWrites) {
    Begin();
    SaveAll(*app);
    const std::string before = test::ReadBytes(dir.path() + "/_config.ini");
    for (uint32_t command : {kCmdOptions, kCmdFont, kCmdMargins, kCmdStatusLineSettings,
                             kCmdAutoscrollSettings, kCmdColours}) {
        int ended = 0;
        Run(command, [&](PlatformDialog* d) {
            SendDialogCommand(d, kCmdLeftSoftKey);
            ended = Ended(d);
        });
        EXPECT_EQ(ended, 1) << command;
        EXPECT_EQ(refreshes, 0) << command;
    }
    EXPECT_EQ(test::ReadBytes(dir.path() + "/_config.ini"), before);
}

// The profile in use beyond the shorter cycle gives way to the first.
TEST_F(SettingsDialogs, OptionsRefuseFiveProfilesShortenTheCycleAndReReadTheBook) {
    Begin("USE_PROFILES=4\r\nACTIVE_PROFILE=3\r\n");
    const std::u16string asDetected = Text(0, 400);
    const int32_t docLength = DocLength(*app->doc);
    Run(kCmdOptions, [&](PlatformDialog* d) {
        EXPECT_EQ(ControlText(d, kCtlProfiles), u"4");
        SetControlText(d, kCtlProfiles, u"5");
        SendDialogCommand(d, kCmdLeftSoftKey);
        EXPECT_FALSE(Ended(d));
        EXPECT_TRUE(ControlHasFocus(d, kCtlProfiles));
        SetControlText(d, kCtlProfiles, u"3");
        ListSelect(d, kCtlParagraphs, 0);  // plain text as is
        SendDialogCommand(d, kCmdOk);
    });
    // The book was read again with every line its own paragraph, and the page laid out again.
    EXPECT_NE(Text(0, 400), asDetected);
    EXPECT_EQ(DocLength(*app->doc), docLength);
    EXPECT_GT(refreshes, 0);
    EXPECT_EQ(app->session.settings.activeProfile, 0);
    EXPECT_EQ(app->layout.fonts.backgroundBrush.colour, MakeColour(255, 255, 255));
    EXPECT_EQ(Config("USE_PROFILES") + Config("TXT_PARAGRAPH_DETECT"), "30");
}

// The form keeps a line interval set by the keys beyond its own list's first values.
TEST_F(SettingsDialogs, TheFontFormReLaysThePageKeepsTheIntervalAndIsWritten) {
    Begin();
    const std::vector<std::u16string> faces = OfferedFaces(LatinFontFamilies());
    ASSERT_GE(faces.size(), 2u);
    const int lines = app->layout.linesPerPage;
    const std::u16string face = faces[0] == u"DejaVu Sans" ? faces[1] : faces[0];
    for (int i = 0; i < 11; ++i) Send(kMsgCommand, kCmdIncInterval);
    ASSERT_EQ(app->session.settings.lineIl[0], 11);
    Run(kCmdFont, [&](PlatformDialog* d) {
        EXPECT_EQ(ListLine(d, kCtlInterval, ListSelection(d, kCtlInterval)), u"11");
        ListSelect(d, kCtlSize, 30 - 5);
        Choose(d, kCtlFace, face);
    });
    EXPECT_EQ(app->session.settings.fontFaceText, face);
    EXPECT_EQ(app->session.settings.lineIl[0], 11);
    EXPECT_LT(app->layout.linesPerPage, lines);
    EXPECT_EQ(Config("FONT_SIZE_TEXT_0") + " " + Config("FONT_FACE_TEXT"),
              "30 " + Utf16ToUtf8(face));
}

// A face that is not installed (the handheld's "Verdana", a face removed since) shows as the family
// the page is drawn with, and Save without a change keeps that family: the page looks the same.
TEST_F(SettingsDialogs, AFaceNotInstalledShowsAsTheFamilyDrawnKeepingTheSize) {
    for (const char* gone : {"Long Gone Face", "Verdana"}) {
        Begin(std::string("FONT_FACE_TEXT=") + gone + "\r\nFONT_SIZE_TEXT_0=21\r\n");
        const std::u16string drawn = DrawnFontFamily(Utf8ToUtf16(gone));
        const std::vector<std::u16string> faces = OfferedFaces(LatinFontFamilies());
        ASSERT_NE(std::find(faces.begin(), faces.end(), drawn), faces.end()) << gone;
        Run(kCmdFont, [&](PlatformDialog* d) {
            EXPECT_EQ(ControlText(d, kCtlFace), drawn) << gone;
            SendDialogCommand(d, kCmdLeftSoftKey);
        });
        EXPECT_EQ(app->session.settings.fontFaceText, drawn);
        EXPECT_EQ(app->session.settings.fontSizeText[0], 21);
        Stop();
    }
    // The first run's face is installed: it is drawn as itself.
    EXPECT_EQ(DrawnFontFamily(u"DejaVu Serif"), u"DejaVu Serif");
}

// Each family once, whichever foundries give it; nothing the settings file could not keep.
TEST_F(SettingsDialogs, TheFaceListHasEachTextFamilyOnce) {
    EXPECT_EQ(
        OfferedFaces({u"A", u"C059 [urw]", u"C059 [UKWN]", u"B [x", std::u16string(32, u'x'),
                      std::u16string(31, u'y'), u"", u"A", u" [urw]"}),
        (std::vector<std::u16string>{u"A", u"C059", u"B [x", std::u16string(31, u'y'), u" [urw]"}));
}

TEST_F(SettingsDialogs, MarginsAreCheckedAgainstAQuarterOfTheScreenAndMoveTheText) {
    Begin("WINDOW_WIDTH=240\r\nWINDOW_HEIGHT=320\r\n");
    const int left = app->layout.geometry.textRect.left;
    Run(kCmdMargins, [](PlatformDialog* d) {
        for (const char16_t* wrong : {u"61", u"-1"}) {
            SetControlText(d, kCtlLeft, wrong);
            SendDialogCommand(d, kCmdLeftSoftKey);
            EXPECT_FALSE(Ended(d));
            EXPECT_TRUE(ControlHasFocus(d, kCtlLeft));
        }
        SetControlText(d, kCtlLeft, u"20");
        SetControlText(d, kCtlBottom, u"60");  // the quarter itself is taken
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(app->layout.geometry.textRect.left, left - 4);  // from the first run's 24
    EXPECT_NE(Config("MARGIN_LEFT"), "20");                   // written with the next save
    SaveAll(*app);
    EXPECT_EQ(Config("MARGIN_LEFT"), "20");
}

TEST_F(SettingsDialogs, ColoursChangeInStepsOfEightAndReachThePageOnlyOnSave) {
    Begin("COLOR_TEXT_R_0=203\r\nCOLOR_TEXT_G_0=245\r\nCOLOR_TEXT_B_0=170\r\n");
    Settings& s = app->session.settings;
    const ColourRef text = s.colors[kColourText][0];
    // Cancel after changes keeps the profile's colours.
    Run(kCmdColours, [](PlatformDialog* d) {
        Pick(d, kCtlChannelR, 0);
        SendDialogCommand(d, kCmdRightSoftKey);
    });
    EXPECT_EQ(s.colors[kColourText][0], text);
    // One channel changed takes the other two as the lists show them, rounded down; the text's
    // change outlasts a visit to the background.
    Run(kCmdColours, [](PlatformDialog* d) {
        Pick(d, kCtlChannelG, 0);
        Pick(d, kCtlList, 1);  // the background
        Pick(d, kCtlChannelG, 0);
        Pick(d, kCtlChannelB, 0);
        Pick(d, kCtlList, 0);
        EXPECT_EQ(ListSelection(d, kCtlChannelG), 0);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(s.colors[kColourText][0], MakeColour(200, 0, 168));
    EXPECT_EQ(s.colors[kColourBk][0], MakeColour(248, 0, 0));
    int w = 0, h = 0, stride = 0;
    const uint32_t corner =
        *app->layout.draw->surfacePixels(app->layout.surface, &w, &h, &stride) & 0xFFFFFF;
    EXPECT_GE(corner >> 16, 248u);
    EXPECT_EQ(corner & 0xFFFF, 0u);
    SaveAll(*app);
    EXPECT_EQ(Config("COLOR_BK_R_0") + "," + Config("COLOR_BK_G_0"), "248,0");
}

TEST_F(SettingsDialogs, AButtonIsReboundInTwoStepsAndActsAtOnce) {
    Begin();
    const int down = 16;
    Run(kCmdButtons, [&](PlatformDialog* d) {
        Choose(d, kCtlCaptionedList, u"Down-> Next page (autoscroll faster)");
        SendDialogCommand(d, kCmdRightSoftKey);  // back to the inputs, nothing bound
        EXPECT_FALSE(Ended(d));
        ListSelect(d, kCtlCaptionedList, down);
        SendDialogCommand(d, kCtlCaptionedList, kListDoubleClick);
        Choose(d, kCtlCaptionedList, u"Next Line");
        EXPECT_EQ(ListLine(d, kCtlCaptionedList, down), u"Down-> Next Line");
        SendDialogCommand(d, kCmdCancel);
        EXPECT_TRUE(Ended(d));
    });
    const int32_t second = app->layout.pageLines[1].start;
    Press(kVkDown);
    EXPECT_EQ(PageStart(), second);
    SaveAll(*app);
    EXPECT_EQ(Config("ACTION_0028"), "12");
}

TEST_F(SettingsDialogs, EditBoxesReadTheirLeadingNumber) {
    const std::pair<const char16_t*, int> cases[] = {
        {u"  7x", 7}, {u"-3", -3}, {u"", 0}, {u"+", 0}, {u"99999999999", 999999}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ReadDecimal(text), value) << Utf16ToUtf8(text);
}

}  // namespace
}  // namespace lectra
