/* A firmware's menu line, drawn with kelvane's reader from the font
 * menu_font, which the build made from ../kana16.bdf with the characters of
 * menu.txt alone. On a device plot() would set a display's pixels; here it
 * marks a frame that is printed as text art ('#' ink, '.' none). The text is
 * UTF-8 (the font's codes are Unicode): the menu's own, or the first argument. */
#include <stdio.h>
#include <string.h>

#include "kvn_reader.h"
#include "menu_font.h"

#define FRAME_WIDTH 128

typedef struct frame {
  char pixels[MENU_FONT_CELL_HEIGHT][FRAME_WIDTH];
} frame;

static void plot(void* context, int x, int y) {
  frame* screen = context;
  if (x >= 0 && x < FRAME_WIDTH && y >= 0 && y < MENU_FONT_CELL_HEIGHT) screen->pixels[y][x] = '#';
}

int main(int argc, char** argv) {
  static const char menu_text[] = "あい";
  static frame screen;
  const char* text = argc > 1 ? argv[1] : menu_text;
  const uint8_t* bytes = (const uint8_t*)text;
  const size_t length = strlen(text);
  size_t width;
  int y;
  kvn_font font;
  kvn_status status = kvn_open(&font, menu_font, menu_font_len);
  if (status != KVN_OK) {
    fprintf(stderr, "menu: %s\n", kvn_status_text(status));
    return 1;
  }
  memset(screen.pixels, '.', sizeof screen.pixels);
  kvn_draw_text(&font, bytes, length, kvn_decode_utf8, 0, 0, plot, &screen);
  width = kvn_text_width(&font, bytes, length, kvn_decode_utf8);
  if (width > FRAME_WIDTH) width = FRAME_WIDTH;
  for (y = 0; y < font.cell_height; ++y) {
    fwrite(screen.pixels[y], 1, width, stdout);
    putchar('\n');
  }
  return 0;
}
