#include "game/draw_frame.h"

#include "draw/board_geometry.h"
#include "draw/number_renderer.h"

namespace vq {

namespace {

constexpr int kQueueLeftX = 50;
constexpr int kQueueTopY = 250;
constexpr int kQueueSpacing = 90;
constexpr int kHudNumberX = 640;

// Cell images are all drawn with the size of the skin's sq1.
struct CellPainter {
  Platform& platform;
  Image* const* skin;
  int width;
  int height;

  // Draws the image of a CellCode (0 draws nothing) or of a piece colour.
  void Draw(int32_t code, int x, int y) const {
    if (code < kColourOne || code > kMarkedTwo) return;
    platform.BlitRegion(skin[kSkinSq1 + code - 1], 0, 0, width, height, x, y);
  }
};

void DrawVisualiser(Platform& platform, Image* audvis, const GameState& state) {
  for (int i = 0; i < kVisualiserBars; ++i) {
    for (int j = 0; j <= state.visualiser_bars[i]; ++j) {
      platform.Blit(audvis, kBoardLeft + kCellSize * i, kBarBottomY - kBarBlockStep * j);
    }
  }
}

void DrawQueue(const CellPainter& cells, const PreviewQueue& queue) {
  for (int n = 0; n < 3; ++n) {
    int top = kQueueTopY + kQueueSpacing * n;
    const int32_t* colour = queue.entry[n];
    // Only colours draw here: a queued piece holds 1 or 2.
    for (int corner = 0; corner < 4; ++corner) {
      if (colour[corner] != kColourOne && colour[corner] != kColourTwo) continue;
      int x = kQueueLeftX + (corner % 2) * kCellSize;
      int y = top + (corner / 2) * kCellSize;
      cells.Draw(colour[corner], x, y);
    }
  }
}

// Four sparks around each cell the frame's sweep removed, under everything
// drawn after them.
void DrawSparks(Platform& platform, Image* spark, const GameState& state) {
  for (int32_t n = 0; n < state.swept.count; ++n) {
    SparkPositions sparks = SparksAround(state.swept.index[n]);
    for (const Point& at : sparks.at) platform.Blit(spark, at.x, at.y);
  }
}

}  // namespace

void DrawFrame(Platform& platform, const GameImages& images, const GameState& state) {
  Image* const* skin = CurrentSkin(images, state);
  const CellPainter cells{platform, skin, platform.ImageWidth(skin[kSkinSq1]), platform.ImageHeight(skin[kSkinSq1])};
  const Playfield& field = state.field;

  // 1. Background of the skin on show.
  platform.Blit(skin[kSkinBg], 0, 0);
  // 2. Visualiser bars (they moved with the frame's work).
  DrawVisualiser(platform, images.audvis, state);
  // 3. Grid.
  platform.Blit(images.grid, 150, 150);
  // 4. HUD panel.
  platform.Blit(images.hud, 0, 150);
  // 5. The three queued pieces.
  DrawQueue(cells, field.queue);
  // 6-8. The squares were marked, the Timeline's column swept and hanging
  //      cells settled by the frame's work: the sparks of the removed cells.
  DrawSparks(platform, images.spark, state);
  // 9. Board cells.
  for (int32_t i = 0; i < kCells; ++i) cells.Draw(field.board[i], IndexX(i), IndexY(i));
  // 10. The falling piece, also above the board.
  for (int corner = 0; corner < 4; ++corner) {
    int32_t colour = field.piece.colour[corner];
    if (colour != kColourOne && colour != kColourTwo) continue;
    Point at = PieceCellPosition(field.piece.pos[corner]);
    cells.Draw(colour, at.x, at.y);
  }
  // 11. Timeline marker.
  platform.Blit(images.tempo, MarkerX(field.timeline), kMarkerY);
  // 12. HUD numbers; a negative value leaves its field empty.
  const int32_t seconds = state.play_time / 1000;
  const int32_t limit = state.start.time_limit;
  DrawNumber(platform, images.numbers, field.level, kHudNumberX, 185);
  DrawNumber(platform, images.numbers, limit == 0 ? seconds : limit - seconds, kHudNumberX, 245);
  DrawNumber(platform, images.numbers, field.score, kHudNumberX, 305);
  DrawNumber(platform, images.numbers, state.start.hiscore, kHudNumberX, 365);
  // 13. Show it.
  platform.Flip();
}

}  // namespace vq
