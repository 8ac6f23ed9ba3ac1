// The settings forms: each is a table of placed controls, the values they show, and what "Save"
// does with the values entered; one dialog procedure runs them all.
#include "dialogs/settings_dialogs.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <span>

#include "platform/sys/utf.h"

namespace lectra {

namespace {

constexpr int kMaxValues = 8;
constexpr size_t kFaceChars = 31;
// A spin list here is one control with its own arrows; of the margin that left room for the
// handheld's separate up-down control only the gap is kept.
constexpr int kSpin = 2;

// A spin list's items: the texts given, or `count` numbers from `first`.
struct SpinItems {
    int id;
    std::span<const char16_t* const> texts;
    int first;
    int count;
};

enum FieldKind : uint8_t { kFieldCheck, kFieldSpin, kFieldEdit };

// Where a control's value is kept: a number of the settings, or of the active profile's. A flag
// is shown as 0 or 1; `added` is added for showing.
struct Store {
    int32_t Settings::*plain = nullptr;
    int32_t (Settings::*profiled)[kProfileCount] = nullptr;
    int flag = 0;
    int added = 0;
};
constexpr Store Plain(int32_t Settings::*field, int added = 0) {
    return {field, nullptr, 0, added};
}
constexpr Store PlainFlag(int32_t Settings::*field) {
    return {field, nullptr, 1, 0};
}
constexpr Store Profiled(int32_t (Settings::*field)[kProfileCount], int flag = 0) {
    return {nullptr, field, flag, 0};
}

// A control showing one value: a check box 0 or 1, a spin list its selection + offset, an edit box
// the number typed. A control without a store is loaded and saved by its form.
struct Field {
    int id;
    FieldKind kind;
    int offset;
    Store store = {};
};

using Values = std::array<int, kMaxValues>;

struct FormRun;

struct Form {
    const char16_t* title = nullptr;
    int templateId = 0;
    int rememberBook = 0;  // the open book goes to the head of the recent list first
    std::span<const Placement> places = {};
    std::span<const SpinItems> lists = {};
    std::span<const Field> fields = {};
    int faceList = 0;  // the font dialog's list of faces, 0 for none
    void (*init)(PlatformDialog* dialog, FormRun& run) = nullptr;
    // The values of the controls without a store.
    void (*load)(const Settings& s, Values& values) = nullptr;
    // The id of the first box whose value is out of range, 0 when all are in range.
    int (*check)(const FormRun& run) = nullptr;
    // After the dialog closed with "Save" and the changed values were stored: `changed` says
    // whether any value changed.
    void (*save)(FormRun& run, int changed) = nullptr;
};

struct FormRun {
    const Form* form = nullptr;
    const ReaderServices* reader = nullptr;
    Values shown{};    // what the controls showed when the dialog opened
    Values entered{};  // what they held on "Save"
    std::u16string face;
};

int Flag(int32_t value) {
    return value != 0;
}

// A stored value moved by `add` for showing, without overflow: the stores take any number.
int Shifted(int32_t value, int add) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{value} + add, INT_MIN, INT_MAX));
}

std::u16string Decimal(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return Utf8ToUtf16(buffer);
}

int32_t* StoredAt(Settings& s, const Store& store) {
    if (store.plain) return &(s.*store.plain);
    if (store.profiled) return &(s.*store.profiled)[ActiveProfile(s)];
    return nullptr;
}

Values LoadValues(const Form& form, Settings& s) {
    Values v{};
    for (size_t i = 0; i < form.fields.size() && i < v.size(); ++i) {
        const Store& store = form.fields[i].store;
        if (const int32_t* at = StoredAt(s, store))
            v[i] = store.flag ? Flag(*at) : Shifted(*at, store.added);
    }
    if (form.load) form.load(s, v);
    return v;
}

// Stores the values that changed; 1 when any value, stored here or not, changed.
int StoreChanged(const FormRun& run, Settings& s) {
    int changed = 0;
    for (size_t i = 0; i < run.form->fields.size() && i < run.entered.size(); ++i) {
        if (run.entered[i] == run.shown[i]) continue;
        changed = 1;
        const Store& store = run.form->fields[i].store;
        if (int32_t* at = StoredAt(s, store)) *at = run.entered[i] - store.added;
    }
    return changed;
}

void ShowValue(PlatformDialog* dialog, const Field& f, int value) {
    switch (f.kind) {
        case kFieldCheck:
            SetChecked(dialog, f.id, value);
            break;
        case kFieldSpin: {
            // A value the list does not hold shows as its first item.
            const int64_t index = int64_t{value} - f.offset;
            const int count = ListCount(dialog, f.id);
            ListSelect(dialog, f.id, index >= 0 && index < count ? static_cast<int>(index) : 0);
            break;
        }
        case kFieldEdit:
            SetControlText(dialog, f.id, Decimal(value));
            break;
    }
}

int ReadValue(PlatformDialog* dialog, const Field& f) {
    switch (f.kind) {
        case kFieldCheck:
            return IsChecked(dialog, f.id);
        case kFieldSpin:
            return std::max(ListSelection(dialog, f.id), 0) + f.offset;
        case kFieldEdit:
            return ReadDecimal(ControlText(dialog, f.id));
    }
    return 0;
}

Values ReadValues(PlatformDialog* dialog, const Form& form) {
    Values v{};
    for (size_t i = 0; i < form.fields.size() && i < v.size(); ++i)
        v[i] = ReadValue(dialog, form.fields[i]);
    return v;
}

void OpenForm(FormRun& run, PlatformDialog* dialog) {
    const Form& form = *run.form;
    InitDialogFrame(dialog, form.title, u"Save");
    for (const SpinItems& list : form.lists) {
        for (int i = 0; i < list.count; ++i) {
            ListAdd(dialog, list.id, list.texts.empty() ? Decimal(list.first + i) : list.texts[i]);
        }
    }
    if (form.init) form.init(dialog, run);
    PlaceControls(dialog, form.places);
    const Values v = LoadValues(form, *run.reader->settings);
    for (size_t i = 0; i < form.fields.size() && i < v.size(); ++i)
        ShowValue(dialog, form.fields[i], v[i]);
    // What the boxes hold may differ from the settings (an edit box keeps its first
    // characters): "unchanged" means as shown.
    run.shown = ReadValues(dialog, form);
}

int FormCommand(FormRun& run, PlatformDialog* dialog, uintptr_t wParam) {
    const Form& form = *run.form;
    const DialogAsk ask = ReadCommand(wParam);
    if (ask == DialogAsk::kAction) {
        run.entered = ReadValues(dialog, form);
        if (const int wrong = form.check ? form.check(run) : 0) {
            SetControlFocus(dialog, wrong);
            SelectAllText(dialog, wrong);
            return 1;
        }
        if (form.faceList) {
            const int row = ListSelection(dialog, form.faceList);
            run.face = row >= 0 ? ListLine(dialog, form.faceList, row)
                                : run.reader->settings->fontFaceText;
        }
        EndDialog(dialog, 1);
    } else if (ask == DialogAsk::kClose) {
        // Only Cancel leaves a form: the Back key (Backspace) must not lose what was typed.
        EndDialog(dialog, 0);
    }
    return 1;
}

void RunForm(const ReaderServices& reader, const Form& form) {
    if (form.rememberBook) RememberBook(reader);
    FormRun run;
    run.form = &form;
    run.reader = &reader;
    if (ShowDialog(reader, form.templateId, run, OpenForm, FormCommand) != 1) return;
    const int changed = StoreChanged(run, *reader.settings);
    if (form.save) form.save(run, changed);
}

void Redraw(const ReaderServices& r) {
    r.ops.computeGeometry(r.ops.context);
    Refresh(r);
}

void MakeFont(const ReaderServices& r, int which) {
    r.ops.makeFont(r.ops.context, which);
}

// Options.

constexpr const char16_t* kHyphenItems[] = {u"None", u"En"};
constexpr const char16_t* kParagraphItems[] = {u"Plain text as is", u"Detect paragraph",
                                               u"Plain text as HTML"};
constexpr Placement kOptionsPlaces[] = {
    {kCtlHyphenLabel, 6, 7, 0},     {kCtlHyphen, 5, kSpin, 0},     {kCtlJustify, 1, 7, 1},
    {kCtlStartFullScreen, 1, 7, 2}, {kCtlNoSmoothing, 1, 7, 3},    {kCtlProfilesLabel, 4, 7, 4},
    {kCtlProfiles, 3, 5, 4},        {kCtlParagraphs, 7, kSpin, 5}, {kCtlKeepScreenOn, 1, 7, 6},
    {kCtlKeepOneLine, 1, 7, 7},
};
constexpr SpinItems kOptionsLists[] = {{kCtlHyphen, kHyphenItems, 0, 2},
                                       {kCtlParagraphs, kParagraphItems, 0, 3}};
// The rows of kOptionsFields that the form's own steps read.
constexpr size_t kOptProfiles = 4;
constexpr size_t kOptParagraph = 5;
constexpr Field kOptionsFields[] = {
    {kCtlHyphen, kFieldSpin, 0, PlainFlag(&Settings::hyphen)},
    {kCtlJustify, kFieldCheck, 0, PlainFlag(&Settings::justify)},
    {kCtlStartFullScreen, kFieldCheck, 0, PlainFlag(&Settings::startInFullscreen)},
    {kCtlNoSmoothing, kFieldCheck, 0, PlainFlag(&Settings::deleteCt)},
    {kCtlProfiles, kFieldEdit, 0, Plain(&Settings::useProfiles)},
    {kCtlParagraphs, kFieldSpin, 0, Plain(&Settings::txtParagraphDetect)},
    {kCtlKeepScreenOn, kFieldCheck, 0, PlainFlag(&Settings::backlightOn)},
    {kCtlKeepOneLine, kFieldCheck, 0, PlainFlag(&Settings::keepOneItem)},
};

int CheckOptions(const FormRun& run) {
    const int profiles = run.entered[kOptProfiles];
    return profiles >= 2 && profiles <= kProfileCount ? 0 : kCtlProfiles;
}

void SaveOptions(FormRun& run, int changed) {
    if (!changed) return;
    const ReaderServices& r = *run.reader;
    Settings& s = *r.settings;
    // The paragraph mode is kept for the next book; an open one is read again with it.
    if (run.entered[kOptParagraph] != run.shown[kOptParagraph] && r.bookOpen) {
        const std::u16string path = Book(r).bookPath;
        // A book that can no longer be read says so there; the page read so far stays.
        r.ops.openBook(r.ops.context, path, 0);
    }
    if (s.activeProfile >= s.useProfiles) {
        // Out of the shorter cycle: the first profile, as the next start would load it.
        s.activeProfile = 0;
        MakeFont(r, 0);
        MakeFont(r, 1);
        r.ops.makeBrushes(r.ops.context);
    }
    r.ops.saveSettings(r.ops.context);
    Redraw(r);
}

void InitOptions(PlatformDialog* dialog, FormRun&) {
    SetTextLimit(dialog, kCtlProfiles, 1);
}

constexpr Form kOptions = {.title = u"Options",
                           .templateId = kTemplateOptions,
                           .places = kOptionsPlaces,
                           .lists = kOptionsLists,
                           .fields = kOptionsFields,
                           .init = InitOptions,
                           .check = CheckOptions,
                           .save = SaveOptions};

// Font.

constexpr Placement kFontPlaces[] = {
    {kCtlBold, 1, 10, 0},      {kCtlSmooth, 1, 10, 1},       {kCtlSizeLabel, 6, 4, 2},
    {kCtlSize, 5, kSpin, 2},   {kCtlIntervalLabel, 6, 4, 3}, {kCtlInterval, 5, kSpin, 3},
    {kCtlWidthLabel, 6, 4, 4}, {kCtlWidth, 5, kSpin, 4},     {kCtlFace, 7, kSpin, 5},
};
// The interval list runs over every value the interval keys can reach (−11…11), so that a value
// set by a key is shown as itself and kept by a save that does not change it.
constexpr SpinItems kFontLists[] = {
    {kCtlSize, {}, 5, 46}, {kCtlInterval, {}, -11, 23}, {kCtlWidth, {}, -3, 7}};
constexpr Field kFontFields[] = {
    {kCtlBold, kFieldCheck, 0, Profiled(&Settings::fontBoldText, 1)},
    {kCtlSmooth, kFieldCheck, 0, Profiled(&Settings::fontCtText, 1)},
    {kCtlSize, kFieldSpin, 5, Profiled(&Settings::fontSizeText)},
    {kCtlInterval, kFieldSpin, -11, Profiled(&Settings::lineIl)},
    {kCtlWidth, kFieldSpin, -3, Profiled(&Settings::fontWidthChar)},
};

void InitFont(PlatformDialog* dialog, FormRun& run) {
    const std::vector<std::u16string> faces = OfferedFaces(LatinFontFamilies());
    // The face shown is the face drawn: a face that is not installed shows the family the page
    // falls back to, so that Save without a change keeps the page as it looks.
    const std::u16string& face = run.reader->settings->fontFaceText;
    const std::u16string drawn = DrawnFontFamily(face);
    int selected = -1, fallback = 0;
    for (size_t i = 0; i < faces.size(); ++i) {
        ListAdd(dialog, kCtlFace, faces[i]);
        if (faces[i] == face) selected = static_cast<int>(i);
        if (faces[i] == drawn) fallback = static_cast<int>(i);
    }
    ListSelect(dialog, kCtlFace, faces.empty() ? -1 : selected >= 0 ? selected : fallback);
}

void SaveFont(FormRun& run, int changed) {
    const ReaderServices& r = *run.reader;
    Settings& s = *r.settings;
    if (!changed && run.face == s.fontFaceText) return;
    s.fontFaceText = run.face;
    r.ops.saveSettings(r.ops.context);
    MakeFont(r, 0);
    // ClearType is the status font's quality too, and its height may change with it.
    MakeFont(r, 1);
    Redraw(r);
}

constexpr Form kFont = {.title = u"Font",
                        .templateId = kTemplateFont,
                        .rememberBook = 1,
                        .places = kFontPlaces,
                        .lists = kFontLists,
                        .fields = kFontFields,
                        .faceList = kCtlFace,
                        .init = InitFont,
                        .save = SaveFont};

// Margins: top and bottom are shown 2 greater than stored.

constexpr Placement kMarginPlaces[] = {
    {kCtlTopLabel, 4, 10, 0},    {kCtlTop, 3, 5, 0},         {kCtlLeftLabel, 4, 10, 1},
    {kCtlLeft, 3, 5, 1},         {kCtlRightLabel, 4, 10, 2}, {kCtlRight, 3, 5, 2},
    {kCtlBottomLabel, 4, 10, 3}, {kCtlBottom, 3, 5, 3},
};
constexpr Field kMarginFields[] = {{kCtlTop, kFieldEdit, 0, Plain(&Settings::marginTop, 2)},
                                   {kCtlLeft, kFieldEdit, 0, Plain(&Settings::marginLeft)},
                                   {kCtlRight, kFieldEdit, 0, Plain(&Settings::marginRight)},
                                   {kCtlBottom, kFieldEdit, 0, Plain(&Settings::marginBottom, 2)}};
constexpr int kMarginLabelIds[] = {kCtlTopLabel, kCtlLeftLabel, kCtlRightLabel, kCtlBottomLabel};
constexpr const char* kMarginLabels[] = {"Top [0..%d]", "Left [0..%d]", "Right [0..%d]",
                                         "Bottom [0..%d]"};

int MarginLimit(const ReaderServices& r) {
    int w = 0, h = 0;
    if (r.ops.screenSize) r.ops.screenSize(r.ops.context, &w, &h);
    return std::max(std::min(w, h), 0) >> 2;
}

void InitMargins(PlatformDialog* dialog, FormRun& run) {
    for (int i = 0; i < 4; ++i) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, kMarginLabels[i], MarginLimit(*run.reader));
        SetControlText(dialog, kMarginLabelIds[i], Utf8ToUtf16(buffer));
        SetTextLimit(dialog, kMarginFields[i].id, 3);
    }
}

int CheckMargins(const FormRun& run) {
    const int limit = MarginLimit(*run.reader);
    for (int i : {3, 2, 1, 0}) {
        const int v = run.entered[static_cast<size_t>(i)];
        if (v < 0 || v > limit) return kMarginFields[i].id;
    }
    return 0;
}

void SaveMargins(FormRun& run, int changed) {
    // Written to the file with the next periodic save.
    if (changed) Redraw(*run.reader);
}

constexpr Form kMargins = {.title = u"Margins",
                           .templateId = kTemplateMargins,
                           .rememberBook = 1,
                           .places = kMarginPlaces,
                           .fields = kMarginFields,
                           .init = InitMargins,
                           .check = CheckMargins,
                           .save = SaveMargins};

// Status line: bit 0 of a visibility item is the status line, bit 1 the progress bar.

constexpr const char16_t* kVisibleItems[] = {u"Hide", u"Status line", u"Progress bar",
                                             u"Status + Progress"};
constexpr const char16_t* kStatusModeItems[] = {u"Show Filename", u"Show Percents", u"Show Pages",
                                                u"Show Percents + Pages"};
constexpr Placement kStatusPlaces[] = {
    {kCtlInWindowLabel, 1, 5, 0},     {kCtlInWindow, 7, kSpin, 1},
    {kCtlInFullScreenLabel, 1, 5, 2}, {kCtlInFullScreen, 7, kSpin, 3},
    {kCtlProgressRight, 1, 10, 4},    {kCtlBattery, 1, 10, 5},
    {kCtlStatusSizeLabel, 6, 4, 6},   {kCtlStatusSize, 5, kSpin, 6},
    {kCtlStatusMode, 7, kSpin, 7},
};
constexpr SpinItems kStatusLists[] = {{kCtlInWindow, kVisibleItems, 0, 4},
                                      {kCtlInFullScreen, kVisibleItems, 0, 4},
                                      {kCtlStatusSize, {}, 5, 21},
                                      {kCtlStatusMode, kStatusModeItems, 0, 4}};
constexpr Field kStatusFields[] = {
    {kCtlInWindow, kFieldSpin, 0},
    {kCtlInFullScreen, kFieldSpin, 0},
    {kCtlProgressRight, kFieldCheck, 0, PlainFlag(&Settings::modeProgress)},
    {kCtlBattery, kFieldCheck, 0, PlainFlag(&Settings::visibleBatteryOnProgress)},
    {kCtlStatusSize, kFieldSpin, 5, Plain(&Settings::fontSizeStatus)},
    {kCtlStatusMode, kFieldSpin, 0, Plain(&Settings::modeStatus)},
};

// The two visibility lists: bit 0 the status line, bit 1 the progress bar.
void LoadStatusLine(const Settings& s, Values& v) {
    for (int full : {0, 1}) {
        const int shown = Flag(s.visibleStatus[full]) | Flag(s.visibleProgress[full]) << 1;
        v[static_cast<size_t>(full)] = shown;
    }
}

void SaveStatusLine(FormRun& run, int changed) {
    if (!changed) return;
    const ReaderServices& r = *run.reader;
    Settings& s = *r.settings;
    for (int full : {0, 1}) {
        const int shown = run.entered[static_cast<size_t>(full)];
        s.visibleStatus[full] = shown & 1;
        s.visibleProgress[full] = shown >> 1 & 1;
    }
    MakeFont(r, 1);
    r.ops.saveSettings(r.ops.context);
    Redraw(r);
}

constexpr Form kStatusLine = {.title = u"Status Line",
                              .templateId = kTemplateStatusLine,
                              .places = kStatusPlaces,
                              .lists = kStatusLists,
                              .fields = kStatusFields,
                              .load = LoadStatusLine,
                              .save = SaveStatusLine};

// Autoscrolling: kept for the next start of autoscrolling, written with the next save.

constexpr const char16_t* kAutoscrollItems[] = {u"Wave", u"Line", u"Smooth", u"AutoTurnPages",
                                                u"Wave II"};
constexpr const char16_t* kBacklightItems[] = {u"Default", u"Always ON"};
constexpr Placement kAutoscrollPlaces[] = {{kCtlScrollTypeLabel, 1, 2, 0},
                                           {kCtlScrollType, 7, kSpin, 1},
                                           {kCtlBacklightLabel, 1, 2, 2},
                                           {kCtlBacklight, 7, kSpin, 3}};
constexpr SpinItems kAutoscrollLists[] = {{kCtlScrollType, kAutoscrollItems, 0, 5},
                                          {kCtlBacklight, kBacklightItems, 0, 2}};
constexpr Field kAutoscrollFields[] = {
    {kCtlScrollType, kFieldSpin, 0, Plain(&Settings::aswMode)},
    {kCtlBacklight, kFieldSpin, 0, Plain(&Settings::backlightAsOn)}};

constexpr Form kAutoscroll = {.title = u"Autoscrolling",
                              .templateId = kTemplateAutoscroll,
                              .rememberBook = 1,
                              .places = kAutoscrollPlaces,
                              .lists = kAutoscrollLists,
                              .fields = kAutoscrollFields};

}  // namespace

int ReadDecimal(const std::u16string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    int sign = 1;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) sign = text[i++] == u'-' ? -1 : 1;
    int value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(value * 10 + (text[i] - u'0'), 999999);
    return sign * value;
}

std::vector<std::u16string> OfferedFaces(const std::vector<std::u16string>& families) {
    std::vector<std::u16string> faces;
    for (std::u16string f : families) {
        // The face is stored and asked for by its family name; which foundry's copy is drawn is
        // the font matching's choice, so each family is offered once.
        if (const size_t bracket = f.find(u" [");
            bracket != std::u16string::npos && bracket > 0 && f.back() == u']')
            f.resize(bracket);
        if (f.empty() || f.size() > kFaceChars) continue;
        if (std::find(faces.begin(), faces.end(), f) == faces.end()) faces.push_back(std::move(f));
    }
    return faces;
}

void ShowOptionsDialog(const ReaderServices& reader) {
    RunForm(reader, kOptions);
}
void ShowFontDialog(const ReaderServices& reader) {
    RunForm(reader, kFont);
}
void ShowMarginsDialog(const ReaderServices& reader) {
    RunForm(reader, kMargins);
}
void ShowStatusLineDialog(const ReaderServices& reader) {
    RunForm(reader, kStatusLine);
}
void ShowAutoscrollDialog(const ReaderServices& reader) {
    RunForm(reader, kAutoscroll);
}

}  // namespace lectra
