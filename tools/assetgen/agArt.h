// The pictures of the packed interface textures. Each function draws one
// cell (or one cell of a grid, by index) into the box (0, 0, w, h) of a
// context already moved to the cell and clipped to it; the table in
// agTextures.cpp says where each goes and which widget uses it.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "agCanvas.h"

namespace ag {

// The interface's palette: one warm gold accent on slate panels.
inline constexpr Rgb kSlateLight = Rgb::Hex(0x8C949F);
inline constexpr Rgb kSlate = Rgb::Hex(0x5E6570);
inline constexpr Rgb kSlateDark = Rgb::Hex(0x262C35);
inline constexpr Rgb kInk = Rgb::Hex(0x14181E);
inline constexpr Rgb kAccent = Rgb::Hex(0xD9AE3C);
inline constexpr Rgb kAccentLight = Rgb::Hex(0xF4D98A);
inline constexpr Rgb kAccentDark = Rgb::Hex(0x8C6A1A);
inline constexpr Rgb kPaper = Rgb::Hex(0xF2EEE4);
// One corner radius for buttons, frames and plates.
inline constexpr double kRadius = 4.0;

using CellArt = void (*)(cairo_t* cr, double w, double h, int32_t index);

// Widgets and frames (agArtWidgets.cpp).
void ArtTitle(cairo_t*, double, double, int32_t);
void ArtTileFrame(cairo_t*, double, double, int32_t);
void ArtCycleIcon(cairo_t*, double, double, int32_t);
void ArtPanelFill(cairo_t*, double, double, int32_t);
void ArtCardVeil(cairo_t*, double, double, int32_t);
void ArtLogo(cairo_t*, double, double, int32_t);
void ArtCardShadow(cairo_t*, double, double, int32_t);
void ArtMarchingBorder(cairo_t*, double, double, int32_t);
void ArtButtonFace(cairo_t*, double, double, int32_t);     // 0 normal, 1 hover, 2 pressed
void ArtProgressFill(cairo_t*, double, double, int32_t);
void ArtProgressTrack(cairo_t*, double, double, int32_t);
void ArtKnob(cairo_t*, double, double, int32_t);           // 0 normal, 1 focused or dragged
void ArtToggle(cairo_t*, double, double, int32_t);         // 0 on, 1 off
void ArtTabMarker(cairo_t*, double, double, int32_t);      // 0 on, 1 off
void ArtBadge(cairo_t*, double, double, int32_t);          // kinds 0, 1, 2
void ArtAchievePlate(cairo_t*, double, double, int32_t);
void ArtAchieveGlow(cairo_t*, double, double, int32_t);
void ArtStoreButton(cairo_t*, double, double, int32_t);
void ArtMultiplayerNotice(cairo_t*, double, double, int32_t);
void ArtFlowers(cairo_t*, double, double, int32_t);

// Icons and faces (agArtIcons.cpp).
void ArtSuitIcon(cairo_t*, double, double, int32_t);       // 0..3 suits
void ArtBidIcon(cairo_t*, double, double, int32_t);        // 0 no trumps, 1 to bid, 2 pass, 3 not yet
void ArtDirectionIcon(cairo_t*, double, double, int32_t);  // bottom, left, top, right
void ArtSuitBadge(cairo_t*, double, double, int32_t);      // no trumps, 4 suits, misère
void ArtMisereIcon(cairo_t*, double, double, int32_t);
void ArtHeaderIcon(cairo_t*, double, double, int32_t);     // seat, name, score, tricks, bid
void ArtIndexCell(cairo_t*, double, double, int32_t);      // 13 ranks x 6 rows
void ArtJokerIndex(cairo_t*, double, double, int32_t);
void ArtIndexBacking(cairo_t*, double, double, int32_t);
void ArtPlayerIcon(cairo_t*, double, double, int32_t);     // 0 local, 1 remote, 2 default
void ArtAvatar(cairo_t*, double, double, int32_t);         // 64 computer opponents
void ArtAchievement(cairo_t*, double, double, int32_t);    // 64 icons, unlocked
void ArtAchievementLocked(cairo_t*, double, double, int32_t);
// The medals of the shipped achievements (agArtMedals.cpp): cells with a
// picture of their own, their colours, and the picture drawn in ink over a
// medal of size s centred on (cx, cy). False for the other cells.
bool AchievementIconDesigned(int32_t index);
bool AchievementMedalColours(int32_t index, Rgb& metal, Rgb& ribbon);
bool DrawAchievementEmblem(cairo_t* cr, int32_t index, double cx, double cy, double s, const Rgb& ink, double alpha);

// Light and particles (agArtEffects.cpp).
void ArtGlow(cairo_t*, double, double, int32_t);
void ArtFireworkCell(cairo_t*, double, double, int32_t);   // variants 0..3
void ArtSmokePuff(cairo_t*, double, double, int32_t);      // 16 puffs
void ArtShine(cairo_t*, double, double, int32_t);
void ArtParticle(cairo_t*, double, double, int32_t);

}  // namespace ag
