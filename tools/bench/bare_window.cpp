// The reference of the start-up benchmark: the least a program must do to show a window of the
// wizard's size with SDL2 on X11 (create it, fill it, update it), then wait for events until it
// is told to end.
#include <SDL2/SDL.h>

#include <cstdio>

int main() {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  // The wizard's way of drawing: X11's own framebuffer, no accelerated renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bench-bare-window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window =
      SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 683, 440, SDL_WINDOW_BORDERLESS);
  SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
  if (!surface) {
    std::fprintf(stderr, "bench-bare-window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0x0B, 0x18, 0x1B));
  SDL_UpdateWindowSurface(window);
  SDL_Event event;
  while (SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) break;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
      SDL_UpdateWindowSurface(window);
    }
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
