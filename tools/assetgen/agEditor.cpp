#include "agEditor.h"

#include <cmath>
#include <stdexcept>

#include "agCanvas.h"
#include "agCards.h"
#include "agCardsetFile.h"
#include "agFonts.h"

namespace ag {

namespace {

constexpr Rgb kKey = Rgb::Hex(0xFF00FF);

// The screen: the controls on the white panel the theme paints, in dark
// text (headings in the theme's dark blue), beside the dark card area. The
// theme is a shade darker than the toolkit's own blue so that white captions
// on it read at 4.9:1 (on the toolkit's blue they stay just under 4.5:1).
const char* const kEditorScreen = R"JSON({
  "Class": "host", "Title": "EditorHost", "Color": "$FF1E2A3A", "Theme": "$FF0072CE",
  "Children": [
    { "Class": "panel", "Title": "Controls", "Position": "[0,0]-[250,768]",
      "Layout": { "Layoutmode": "LayoutAnchor", "Position": "[0,0]-[250,768]",
                  "Anchorbottom": { "Anchorstyle": "anchorMax", "Margin": 0 } },
      "Children": [
        { "Class": "label", "Title": "HeadingCardset", "Text": "Cardset", "Color": "$FF004A80",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,8]-[240,30]" },
        { "Class": "button", "Title": "NewButton", "Text": "New...", "ID": 11, "Position": "[10,34]-[85,60]" },
        { "Class": "button", "Title": "OpenButton", "Text": "Open...", "ID": 12, "Position": "[90,34]-[165,60]" },
        { "Class": "button", "Title": "SaveButton", "Text": "Save...", "ID": 13, "Position": "[170,34]-[240,60]" },
        { "Class": "label", "Title": "LabelTitle", "Text": "Title", "Color": "$FF3A4654",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,70]-[240,88]" },
        { "Class": "edit", "Title": "editCardTitle", "MaxLength": 80, "Position": "[10,90]-[240,114]" },
        { "Class": "label", "Title": "LabelAuthor", "Text": "Author", "Color": "$FF3A4654",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,120]-[240,138]" },
        { "Class": "edit", "Title": "editCardAuthor", "MaxLength": 80, "Position": "[10,140]-[240,164]" },
        { "Class": "label", "Title": "LabelComments", "Text": "Comments", "Color": "$FF3A4654",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,170]-[240,188]" },
        { "Class": "edit", "Title": "editCardComments", "MaxLength": 250, "Position": "[10,190]-[240,214]" },
        { "Class": "checkbox", "Title": "AlignLeftCheckBox", "Text": "Indices on the left",
          "Position": "[10,222]-[240,246]" },
        { "Class": "label", "Title": "HeadingSize", "Text": "Card size", "Color": "$FF004A80",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,258]-[240,280]" },
        { "Class": "edit", "Title": "EditCardSizeX", "MaxLength": 4, "Position": "[10,284]-[70,308]" },
        { "Class": "label", "Title": "LabelBy", "Text": "x", "Color": "$FF3A4654", "Position": "[70,284]-[90,308]" },
        { "Class": "edit", "Title": "EditCardSizeY", "MaxLength": 4, "Position": "[90,284]-[150,308]" },
        { "Class": "button", "Title": "ApplySizeButton", "Text": "Set", "ID": 5, "Position": "[160,284]-[240,308]" },
        { "Class": "button", "Title": "ResizeButton", "Text": "Resize cards...", "ID": 15,
          "Position": "[10,314]-[240,340]" },
        { "Class": "label", "Title": "HeadingView", "Text": "View", "Color": "$FF004A80",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,352]-[240,374]" },
        { "Class": "button", "Title": "Zoom1Button", "Text": "1x", "ID": 7, "Position": "[10,378]-[80,404]" },
        { "Class": "button", "Title": "Zoom2Button", "Text": "2x", "ID": 8, "Position": "[90,378]-[160,404]" },
        { "Class": "button", "Title": "Zoom3Button", "Text": "3x", "ID": 9, "Position": "[170,378]-[240,404]" },
        { "Class": "scrollbar", "Title": "ViewSizeScroll", "Style": "scrHorizontal", "Min": 24, "Max": 420,
          "PageSize": 1, "Value": 71, "ID": 10, "Position": "[10,410]-[240,430]" },
        { "Class": "label", "Title": "HeadingCard", "Text": "Selected card", "Color": "$FF004A80",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,442]-[240,464]" },
        { "Class": "button", "Title": "ExportButton", "Text": "Export picture...", "ID": 16,
          "Position": "[10,468]-[240,494]" },
        { "Class": "button", "Title": "OverlayButton", "Text": "Fresh card with index", "ID": 17,
          "Position": "[10,500]-[240,526]" },
        { "Class": "button", "Title": "CameoButton", "Text": "Cameo settings...", "ID": 14,
          "Position": "[10,532]-[240,558]" },
        { "Class": "label", "Title": "HeadingDrop", "Text": "Dropped pictures", "Color": "$FF004A80",
          "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[10,570]-[240,592]" },
        { "Class": "checkbox", "Title": "CameoCheckBox", "Text": "Set into the card as a cameo",
          "Position": "[10,596]-[240,620]" },
        { "Class": "checkbox", "Title": "OverlayCheckBox", "Text": "Keep the card's index on top",
          "Position": "[10,624]-[240,648]" },
        { "Class": "label", "Title": "Hint", "Text": "Drop picture files onto a card to replace it.",
          "Color": "$FF5A6470", "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_TOP,QZFD_WORD_WRAP]",
          "Position": "[10,660]-[240,720]" }
      ] },
    { "Class": "container", "Title": "CardContainer", "BGColor": "$FF3A5A40",
      "Layout": { "Layoutmode": "LayoutAnchor", "Position": "[256,6]-[1018,762]",
                  "Anchorright": { "Anchorstyle": "anchorMax", "Margin": 6 },
                  "Anchorbottom": { "Anchorstyle": "anchorMax", "Margin": 6 } } }
  ]
})JSON";

// The size fields of the new and resize dialogs.
std::string SizeDialog(const char* title, const char* caption, bool overlayBox)
{
    std::string s = std::string(R"({ "Class": "dialog", "Title": ")") + title + R"(", "Text": ")" + caption +
                    R"(", "DlgButtons": "dlgOKCancel", "Position": "[312,234]-[712,494]",
  "Children": [
    { "Class": "label", "Title": "LabelWidth", "Text": "Width", "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]",
      "Position": "[20,44]-[120,68]" },
    { "Class": "edit", "Title": "editWidth", "MaxLength": 4, "Position": "[130,44]-[230,68]" },
    { "Class": "label", "Title": "LabelHeight", "Text": "Height", "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]",
      "Position": "[20,76]-[120,100]" },
    { "Class": "edit", "Title": "editHeight", "MaxLength": 4, "Position": "[130,76]-[230,100]" },
    { "Class": "label", "Title": "LabelRatio", "Text": "Height / width",
      "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[20,108]-[128,132]" },
    { "Class": "label", "Title": "editAspectRatio", "Text": "", "BGColor": "$FF18202C",
      "Position": "[130,108]-[230,132]" })";
    if (overlayBox)
        s += R"(,
    { "Class": "checkbox", "Title": "checkboxOverlay", "Text": "Start every card white with its index",
      "Position": "[20,144]-[380,168]" })";
    s += "\n  ] }\n";
    return s;
}

const char* const kCameoDialog = R"JSON({ "Class": "dialog", "Title": "CameoDlg", "Text": "Cameo",
  "DlgButtons": "dlgOKCancel", "Position": "[262,144]-[762,604]",
  "Children": [
    { "Class": "image", "Title": "PreviewImage", "DisplayMode": "IMAGE_ASPECT", "Border": true,
      "Position": "[20,40]-[240,400]" },
    { "Class": "label", "Title": "LabelDistance", "Text": "Margin (x, y)",
      "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Position": "[260,44]-[480,68]" },
    { "Class": "edit", "Title": "DistanceX", "MaxLength": 4, "Position": "[260,72]-[340,96]" },
    { "Class": "edit", "Title": "DistanceY", "MaxLength": 4, "Position": "[350,72]-[430,96]" },
    { "Class": "checkbox", "Title": "BorderCheckBox", "Text": "Black border", "Position": "[260,108]-[480,132]" },
    { "Class": "checkbox", "Title": "AspectCheckBox", "Text": "Keep the picture's shape",
      "Position": "[260,140]-[480,164]" }
  ] }
)JSON";

void FillKey(cairo_t* cr, int32_t w, int32_t h)
{
    cairo_rectangle(cr, 0, 0, w, h);
    SetColour(cr, kKey);
    cairo_fill(cr);
}

}  // namespace

const std::vector<std::string>& EditorSceneNames()
{
    static const std::vector<std::string> names = {"CardSetEditor.json", "NewCardsetDlg.json", "CameoDlg.json",
                                                   "ResizeCardsetDlg.json"};
    return names;
}

std::string EditorScene(const std::string& name)
{
    if (name == "CardSetEditor.json") return kEditorScreen;
    if (name == "NewCardsetDlg.json") return SizeDialog("NewCardsetDlg", "New cardset", true);
    if (name == "ResizeCardsetDlg.json") return SizeDialog("ResizeCardsetDlg", "Resize cards", false);
    if (name == "CameoDlg.json") return kCameoDialog;
    throw std::runtime_error("no editor scene " + name);
}

std::vector<uint8_t> OverlayCardPng(int32_t card)
{
    const int32_t w = OVERLAY_WIDTH, h = OVERLAY_HEIGHT;
    Canvas canvas(w, h);
    cairo_t* cr = canvas.Context();
    // Key colour everywhere but the indices: no smoothing into the key, so
    // every pixel is either key or ink.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    FillKey(cr, w, h);
    const CardsetStyle& style = Cardsets().front();
    const Rgb red = style.suitColour[3], black = style.suitColour[0];
    auto corner = [&](auto draw) {
        draw();
        Saved s(cr);
        cairo_translate(cr, w, h);
        cairo_rotate(cr, M_PI);
        draw();
    };
    if (card == CARD_SLOTS - 1) {
        const double cap = h / 6.5;
        corner([&] { DrawJokerIndex(cr, w * 0.135, h * 0.04, cap * 0.5, cap * 0.36, cap * 0.47, red, black); });
    } else {
        const int32_t suit = card / 13, rank = card % 13;
        const Rgb& ink = style.suitColour[size_t(suit)];
        corner([&] { DrawIndex(cr, rank, suit, ink, w * 0.135, h * 0.04, h / 6.5, h * 0.105, w * 0.22); });
    }
    return canvas.Png();
}

std::vector<uint8_t> OverlayCardsetFile()
{
    std::vector<std::vector<uint8_t>> pictures;
    for (int32_t c = 0; c < CARD_SLOTS; ++c) pictures.push_back(OverlayCardPng(c));
    CardsetStyle style = Cardsets().front();
    style.file = "Overlays_192x256.cards";
    style.title = "Overlays";
    style.comments = "Corner indices over the key colour, for new cards in the editor.";
    style.width = OVERLAY_WIDTH;
    style.height = OVERLAY_HEIGHT;
    return CardsetFile(style, pictures);
}

std::vector<uint8_t> WhiteCardPng()
{
    const int32_t w = OVERLAY_WIDTH, h = OVERLAY_HEIGHT;
    Canvas canvas(w, h);
    cairo_t* cr = canvas.Context();
    // Transparent outside the rounded card, white inside with a thin edge.
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, w * 0.06);
    SetColour(cr, Rgb::Hex(0xFFFFFF));
    cairo_fill_preserve(cr);
    SetColour(cr, Rgb::Hex(0x9AA2AC));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    return canvas.Png();
}

std::vector<uint8_t> CameoPreviewPng()
{
    const int32_t s = 256;
    Canvas canvas(s, s);
    cairo_t* cr = canvas.Context();
    // A small landscape: sky, sun, two hills and a lake.
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, s * 0.6);
    AddStop(sky, 0, Rgb::Hex(0x2C5FA8));
    AddStop(sky, 1, Rgb::Hex(0xF2C27A));
    cairo_rectangle(cr, 0, 0, s, s);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    cairo_arc(cr, s * 0.7, s * 0.38, s * 0.1, 0, 2 * M_PI);
    SetColour(cr, Rgb::Hex(0xFFE9A0));
    cairo_fill(cr);
    auto hill = [&](double cx, double top, const Rgb& c) {
        cairo_move_to(cr, cx - s * 0.7, s * 0.75);
        cairo_curve_to(cr, cx - s * 0.2, top, cx + s * 0.2, top, cx + s * 0.7, s * 0.75);
        cairo_close_path(cr);
        SetColour(cr, c);
        cairo_fill(cr);
    };
    hill(s * 0.25, s * 0.32, Rgb::Hex(0x3D6B3A));
    hill(s * 0.8, s * 0.42, Rgb::Hex(0x2E5530));
    cairo_rectangle(cr, 0, s * 0.72, s, s * 0.28);
    SetColour(cr, Rgb::Hex(0x3B78A8));
    cairo_fill(cr);
    return canvas.Png();
}

std::vector<uint8_t> EditorFont()
{
    // A compact sans for the card view's slot captions; its path in the
    // runtime folder is set where the generator lists the editor's files.
    static const FontSpec captions{"the card view's caption font", "DejaVu Sans", false, 10, 1};
    return RenderFont(captions);
}

}  // namespace ag
