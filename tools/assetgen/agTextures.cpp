#include "agTextures.h"

#include <stdexcept>

namespace ag {

const std::vector<TextureSheet>& TextureSheets()
{
    static const std::vector<TextureSheet> sheets = {
        {1, "Title2.png", 1024, 256},         {2, "Tileframe.png", 32, 32},
        {3, "Cyclebutton.png", 64, 64},       {4, "Smooth.png", 256, 256},
        {5, "Darkmask2.png", 128, 180},       {6, "Vantorel.png", 256, 64},
        {7, "Shadow.png", 217, 215},          {8, "Suits2.png", 256, 256},
        {9, "Checkers.png", 32, 32},          {10, "Labels.png", 512, 512},
        {11, "Plasma.png", 128, 128},         {12, "Firework.png", 128, 128},
        {13, "PlayerIcons.png", 256, 64},     {14, "ComputerIcon.png", 64, 64},
        {15, "RemoteIcon.png", 64, 64},       {16, "Globe.png", 64, 64},
        {17, "Buttons.png", 256, 128},        {18, "ProgressBar.png", 256, 64},
        {19, "Controlknob.png", 64, 64},      {20, "OnOffButton.png", 128, 64},
        {21, "AchievePlate.png", 512, 128},   {22, "AchieveIcons2.png", 512, 512},
        {23, "Shine.png", 256, 64},           {24, "Smoke.png", 256, 256},
        {25, "Emboss.png", 128, 128},         {26, "Particle.png", 32, 32},
        {27, "AchieveNull.png", 512, 512},    {28, "SteamButton.png", 512, 256},
        {29, "Multiplayer_warning.png", 256, 256}, {30, "Blackflowers.png", 512, 512},
        {31, "AIAvatars.png", 512, 512},
    };
    return sheets;
}

// Every cell the generator draws, by texture; the rectangles are those the
// widgets and the video manager's drawing helpers cut from the textures.
const std::vector<TextureCell>& TextureCells()
{
    static const std::vector<TextureCell> cells = {
        {1, 0, 0, 1024, 256, 1, 1, ArtTitle, "screen title (UITitle): stretched to (W + w) / 2 x w / 4, so drawn narrow"},
        {2, 0, 0, 32, 32, 1, 1, ArtTileFrame, "DrawPanel: 10-px corners and 12-px middle strips of frame borders; centre empty"},
        {3, 0, 0, 64, 64, 1, 1, ArtCycleIcon, "cycle button: icon in a square of up to 32 px at its right end"},
        {4, 0, 0, 256, 256, 1, 1, ArtPanelFill, "frame, top bar and edit box background, stretched and tinted"},
        {5, 0, 0, 128, 180, 1, 1, ArtCardVeil, "veil over cards that may not be played (0xB0000000), card-shaped"},
        {6, 0, 0, 256, 64, 1, 1, ArtLogo, "logo at (W - 256, H - 64) on the main menu and about screen"},
        {7, 0, 0, 217, 215, 1, 1, ArtCardShadow, "DrawCardShadow: 200 x 200 body, right 17 columns and bottom 15 rows fade"},
        {8, 0, 0, 32, 32, 4, 1, ArtSuitIcon, "DrawIcon 0..3: bid panel suit buttons and BidIcon of a suit bid"},
        {8, 0, 32, 32, 32, 4, 1, ArtBidIcon, "DrawIcon 4..7: no trumps, seat to bid, pass, no bid yet"},
        {8, 0, 96, 32, 32, 4, 1, ArtDirectionIcon, "DrawIconRow3: seat direction (bottom, left, top, right), scoreboard and lobby"},
        {8, 0, 160, 32, 32, 6, 1, ArtSuitBadge, "DrawSuitIcon (row 6: no trumps, suits 0..3) and the scoreboard's misere cell (6, 6)"},
        {8, 0, 192, 32, 32, 1, 1, ArtMisereIcon, "DrawIcon 24: the misere bid button"},
        {8, 0, 224, 32, 32, 5, 1, ArtHeaderIcon, "DrawIconCell (1..5, 8): scoreboard headers seat, name, score, tricks, bid"},
        {9, 0, 0, 32, 32, 1, 1, ArtMarchingBorder, "DrawAnimatedBorder: 2-px edges sampled 0..31 px along, period 32"},
        {10, 0, 0, 26, 46, 13, 6, ArtIndexCell, "ComposeCardImage index cells: ranks 2..A; spades, clubs, diamonds, hearts in four colours, then clubs and diamonds in two"},
        {10, 336, 0, 26, 94, 1, 1, ArtJokerIndex, "ComposeCardImage: the joker's index (its first 2 columns overlap the aces, kept clear)"},
        {10, 362, 0, 26, 46, 1, 1, ArtIndexBacking, "ComposeCardImage: white backing under every index"},
        {11, 0, 0, 128, 128, 1, 1, ArtGlow, "additive glow: firework flashes and rockets, progress bar glint"},
        {12, 0, 0, 64, 64, 2, 2, ArtFireworkCell, "firework rocket and spark cells, variant (v mod 2, v div 2)"},
        {13, 0, 0, 64, 64, 3, 1, ArtPlayerIcon, "no widget draws it: the local, remote and default player icons side by side"},
        {14, 0, 0, 64, 64, 1, 1, ArtPlayerIcon, "avatar of the local player (kind 0): player icon, scoreboard, lobby"},
        {15, 0, 0, 64, 64, 1, 1, ArtPlayerIcon, "avatar of a remote player (kind 3)"},
        {16, 0, 0, 64, 64, 1, 1, ArtPlayerIcon, "default avatar (kind 2): a globe"},
        {17, 0, 0, 126, 53, 1, 1, ArtButtonFace, "button face, nine cells with 4-px borders: normal"},
        {17, 128, 0, 126, 53, 1, 1, ArtButtonFace, "button face: hovered"},
        {17, 0, 64, 126, 53, 1, 1, ArtButtonFace, "button face: pressed"},
        {18, 0, 0, 204, 22, 1, 1, ArtProgressFill, "progress and slider fill, cut at round(fraction x 204)"},
        {18, 0, 32, 256, 22, 1, 1, ArtProgressTrack, "track row at height div 2, stretched over the bar; right 52 px hold the percentage"},
        {19, 0, 0, 23, 23, 1, 1, ArtKnob, "slider, scroll bar and toggle knob"},
        {19, 0, 32, 23, 23, 1, 1, ArtKnob, "knob while dragged or focused"},
        {20, 0, 0, 51, 22, 1, 1, ArtToggle, "toggle button on, stretched to 68 x 30 (knob at the right)"},
        {20, 0, 32, 51, 22, 1, 1, ArtToggle, "toggle button off (knob at the left)"},
        {20, 64, 0, 51, 22, 1, 1, ArtTabMarker, "DrawTabMarker on and lobby seat tab: the player pressed continue or is ready"},
        {20, 64, 32, 51, 22, 1, 1, ArtTabMarker, "DrawTabMarker off: still waiting for the player"},
        {21, 0, 0, 512, 49, 1, 1, ArtAchievePlate, "achievement plate: left 64 and right 64 kept, middle stretched; icon well at (6, 6)"},
        {21, 0, 64, 512, 49, 1, 1, ArtAchieveGlow, "achievement glow band over a 256-px strip while sliding in"},
        {22, 0, 0, 64, 64, 8, 8, ArtAchievement, "achievement icons (column x row of the definitions), unlocked"},
        {23, 0, 0, 256, 64, 1, 1, ArtShine, "achievement glint, drawn 180 x 64 additive"},
        {24, 0, 0, 64, 64, 4, 4, ArtSmokePuff, "smoke puffs of the trump effect and achievement pop-ups, tinted grey"},
        {25, 0, 0, 48, 24, 1, 1, ArtBadge, "DrawBadge kind 0: container, lobby row, selector and achievement image plate"},
        {25, 0, 24, 48, 24, 1, 1, ArtBadge, "DrawBadge kind 1: inset well of tiles and avatars"},
        {25, 64, 48, 48, 24, 1, 1, ArtBadge, "DrawBadge kind 2: the local player's lobby row"},
        {26, 0, 0, 32, 32, 1, 1, ArtParticle, "no widget draws it: a soft round particle"},
        {27, 0, 0, 64, 64, 8, 8, ArtAchievementLocked, "achievement icons, locked (same cells as texture 22)"},
        {28, 0, 0, 512, 256, 1, 1, ArtStoreButton, "main menu store button picture, f x f / 2 at the bottom left"},
        {29, 0, 0, 256, 256, 1, 1, ArtMultiplayerNotice, "main menu picture button while a multiplayer session is active"},
        {30, 0, 0, 512, 512, 1, 1, ArtFlowers, "movable frame's dark background ornament, top right, up to 512 x 512"},
        {31, 0, 0, 64, 64, 8, 8, ArtAvatar, "computer opponents' avatars, tile (x, y) of 0..7"},
    };
    return cells;
}

namespace {

// The three player icons share one drawer: which one a cell shows follows
// from its texture.
int32_t PlayerIconIndex(uint32_t texture, int32_t gridIndex)
{
    switch (texture) {
    case 14: return 0;
    case 15: return 1;
    case 16: return 2;
    default: return gridIndex;
    }
}

int32_t CellIndex(const TextureCell& cell, int32_t gridIndex)
{
    if (cell.art == ArtPlayerIcon) return PlayerIconIndex(cell.texture, gridIndex);
    // Cells that stand alone in a row of variants take their variant from
    // their place in the texture.
    if (cell.art == ArtButtonFace) return cell.y > 0 ? 2 : (cell.x > 0 ? 1 : 0);
    if (cell.art == ArtKnob || cell.art == ArtToggle || cell.art == ArtTabMarker) return cell.y > 0 ? 1 : 0;
    if (cell.art == ArtBadge) return cell.x > 0 ? 2 : (cell.y > 0 ? 1 : 0);
    return gridIndex;
}

}  // namespace

std::vector<uint8_t> DrawTextureSheet(const TextureSheet& sheet)
{
    Canvas canvas(sheet.width, sheet.height);
    cairo_t* cr = canvas.Context();
    for (const TextureCell& cell : TextureCells()) {
        if (cell.texture != sheet.id) continue;
        for (int32_t i = 0; i < cell.columns * cell.rows; ++i) {
            Saved s(cr);
            cairo_translate(cr, cell.x + (i % cell.columns) * cell.w, cell.y + (i / cell.columns) * cell.h);
            cairo_rectangle(cr, 0, 0, cell.w, cell.h);
            cairo_clip(cr);
            cairo_new_path(cr);
            cell.art(cr, cell.w, cell.h, CellIndex(cell, i));
        }
    }
    return canvas.Png();
}

std::unique_ptr<TQZIceData> BuildTextureArchive(const std::vector<std::vector<uint8_t>>& pngs)
{
    if (pngs.size() != TextureSheets().size()) throw std::runtime_error("one picture per texture expected");
    auto root = std::make_unique<TQZIceData>();
    for (size_t i = 0; i < pngs.size(); ++i) {
        const TextureSheet& sheet = TextureSheets()[i];
        const std::vector<uint8_t>& png = pngs[i];
        TQZIceData* child = root->AddChildBuffer(sheet.id, png.data(), int32_t(png.size()));
        if (!child) throw std::runtime_error(std::string("cannot pack ") + sheet.name);
        child->SetName(sheet.name);
    }
    return root;
}

}  // namespace ag
