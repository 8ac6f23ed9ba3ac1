// The colour dialog: working copies of the profile's five colours, three channel lists in steps of
// 8, and the preview painted into a surface of its own with the page's fonts.
#include "dialogs/colour_dialog.h"

#include <cstdio>

#include "layout/pagination.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

constexpr int kChannelLists[3] = {kCtlChannelR, kCtlChannelG, kCtlChannelB};
constexpr int kChannelLabels[3] = {kCtlChannelRLabel, kCtlChannelGLabel, kCtlChannelBLabel};
constexpr int kSpin = 2;  // as the settings forms: the list's arrows are its own
constexpr int kMaxSampleLine = 127;
constexpr char16_t kSample[] = u" Text example...";
constexpr const char16_t* kColourNames[kColourCount] = {u"Text", u"Background", u"Status Line",
                                                        u"Clock Under Text", u"Titles"};

struct ColourEdit {
    const ReaderServices* reader = nullptr;
    ColourRef working[kColourCount] = {};
    PlatformSurface* preview = nullptr;
    int width = 0;
    int height = 0;
};

std::u16string Widen(const char* text) {
    return Utf8ToUtf16(text);
}

void Draw(const Layout& layout, PlatformSurface* surface, PlatformFont* font, ColourRef colour,
          PixelRect r, const std::u16string& text, unsigned align) {
    layout.draw->drawText(surface, font, colour, r, text.data(), static_cast<int>(text.size()),
                          align);
}

void ShowChannels(PlatformDialog* dialog, ColourRef colour) {
    for (int c = 0; c < 3; ++c)
        ListSelect(dialog, kChannelLists[c], (colour >> (8 * c) & 0xFF) >> 3);
}

void UpdatePreview(PlatformDialog* dialog, ColourEdit& e) {
    if (!e.preview) return;
    PaintColourPreview(*e.reader->page, e.preview, e.width, e.height, e.working);
    SetPreviewSurface(dialog, kCtlColourPreview, e.preview);
}

// Below the four rows, to the dialog's edges.
void OpenPreview(PlatformDialog* dialog, ColourEdit& e) {
    const DialogMetrics m = ComputeDialogMetrics(SystemFontHeight());
    const PixelRect client = DialogClientRect(dialog);
    PixelRect r = client;
    r.top = m.rowGap + (m.rowGap + m.rowHeight + m.rowExtra + 1) * 4;
    MoveControl(dialog, kCtlColourPreview, r);
    ShowControl(dialog, kCtlColourPreview, 1);
    e.width = r.right - r.left;
    e.height = r.bottom - r.top;
    if (e.width <= 0 || e.height <= 0) return;
    e.preview = CreatePreviewSurface(*e.reader, e.width, e.height);
    UpdatePreview(dialog, e);
}

void OpenColour(ColourEdit& e, PlatformDialog* dialog) {
    Settings& s = *e.reader->settings;
    InitDialogFrame(dialog, u"Color", u"Save");
    for (const char16_t* name : kColourNames) ListAdd(dialog, kCtlList, name);
    for (int list : kChannelLists) {
        for (int v = 0; v < 256; v += 8) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "%d", v);
            ListAdd(dialog, list, Widen(buffer));
        }
    }
    PlaceControl(dialog, kCtlList, 7, kSpin, 0);
    for (int row = 1; row <= 3; ++row) {
        PlaceControl(dialog, kChannelLabels[row - 1], 6, 2, row);
        PlaceControl(dialog, kChannelLists[row - 1], 5, kSpin, row);
    }
    for (int c = 0; c < kColourCount; ++c) e.working[c] = s.colors[c][ActiveProfile(s)];
    ListSelect(dialog, kCtlList, 0);
    ShowChannels(dialog, e.working[0]);
    OpenPreview(dialog, e);
}

int ColourCommand(ColourEdit& e, PlatformDialog* dialog, uintptr_t wParam) {
    Settings& s = *e.reader->settings;
    const int id = static_cast<int>(wParam & 0xFFFF);
    const int note = static_cast<int>(wParam >> 16);
    const int chosen = ListSelection(dialog, kCtlList);
    if (note == kListSelectionChange && chosen >= 0 && chosen < kColourCount) {
        if (id == kCtlList) {
            ShowChannels(dialog, e.working[chosen]);
        } else {
            ColourRef colour = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = static_cast<uint32_t>(ListSelection(dialog, kChannelLists[c]));
                colour |= (v * 8 & 0xFF) << (8 * c);
            }
            e.working[chosen] = colour;
        }
        UpdatePreview(dialog, e);
        return 1;
    }
    const DialogAsk ask = ReadCommand(wParam);
    if (ask == DialogAsk::kAction) {
        for (int c = 0; c < kColourCount; ++c) s.colors[c][ActiveProfile(s)] = e.working[c];
    }
    if (ask != DialogAsk::kNothing) {
        e.reader->ops.makeBrushes(e.reader->ops.context);
        SetPreviewSurface(dialog, kCtlColourPreview, nullptr);
        EndDialog(dialog, ask == DialogAsk::kAction ? kCmdLeftSoftKey : 0);
    }
    return 1;
}

}  // namespace

void PaintColourPreview(const Layout& layout, PlatformSurface* surface, int width, int height,
                        const ColourRef (&colours)[kColourCount]) {
    const DrawServices& draw = *layout.draw;
    const LayoutFonts& f = layout.fonts;
    const PixelRect all{0, 0, width, height};
    draw.fillRect(surface, all, colours[kColourBk]);
    Draw(layout, surface, f.clockFont, colours[kColourCut], all, u"11:00",
         kAlignCentre | kAlignVCentre);

    const int step = LinePitch(layout);
    const int lines = std::max(1, (height - f.statusFontHeight) / step);
    const int sampleLength = static_cast<int>(std::size(kSample)) - 1;
    int next = 0;  // where in the sample the next line goes on
    for (int k = 0; k < lines && f.textFont; ++k) {
        const PixelRect r{0, k * step, width, k * step + f.textFontHeight};
        if (k == 0) {
            Draw(layout, surface, f.textFont, colours[kColourTitles], r, u"Title.", kAlignCentre);
            continue;
        }
        // Characters while the line fits; the one that does not starts the next line.
        std::u16string line;
        while (static_cast<int>(line.size()) < kMaxSampleLine) {
            line += kSample[next % sampleLength];
            if (draw.measureText(f.textFont, line.data(), static_cast<int>(line.size())) > width) {
                line.pop_back();
                break;
            }
            next = (next + 1) % sampleLength;
        }
        Draw(layout, surface, f.textFont, colours[kColourText], r, line, kAlignCentre);
    }

    const StatusSnapshot& st = layout.status;
    const PixelRect bottom{0, height - f.statusFontHeight, width, height};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d ", st.hour, st.minute);
    Draw(layout, surface, f.statusFont, colours[kColourStatus], bottom, Widen(buffer), kAlignRight);
    std::snprintf(buffer, sizeof buffer, "%d%%", st.batteryPercent);
    Draw(layout, surface, f.statusFont, colours[kColourStatus], bottom, st.power + Widen(buffer),
         kAlignLeft);
    std::snprintf(buffer, sizeof buffer, "%1.2f%%", st.percentRead);
    Draw(layout, surface, f.statusFont, colours[kColourStatus], bottom, Widen(buffer),
         kAlignCentre);
}

void ShowColourDialog(const ReaderServices& reader) {
    ColourEdit e;
    e.reader = &reader;
    const Settings& s = *reader.settings;
    ColourRef before[kColourCount];
    for (int c = 0; c < kColourCount; ++c) before[c] = s.colors[c][ActiveProfile(s)];
    ShowDialog(reader, kTemplateColours, e, OpenColour, ColourCommand);
    DeletePreviewSurface(reader, e.preview);
    // The page shows new colours at once.
    for (int c = 0; c < kColourCount; ++c) {
        if (before[c] != s.colors[c][ActiveProfile(s)]) {
            Refresh(reader);
            break;
        }
    }
}

}  // namespace lectra
