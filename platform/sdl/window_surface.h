// Presenting through the window's own surface: on X11 SDL keeps it in shared memory and puts
// each changed rectangle on the screen with XShmPutImage, drawing nothing else.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "app/platform.h"

namespace mw {

// More changed rectangles than this are copied and put as one band of whole rows.
inline constexpr int MAX_SURFACE_RECTS = 48;

// Copies the changed rectangles of a width x height frame of 0xAARRGGBB pixels into a surface of
// the same size, converting to its format, and writes the rectangles to put on the screen into
// `out` (room for MAX_SURFACE_RECTS), clipped to the frame; returns their number. Afterwards the
// surface holds, in every rectangle, exactly the frame's colours in its own format.
int copyToSurface(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count,
                  SDL_Surface* surface, SDL_Rect* out);

// True when the surface stores 0x00RRGGBB or 0xAARRGGBB words, which take frame rows as they are.
bool takesFrameRows(const SDL_Surface* surface);

// True when presenting through a renderer would draw with a software rasterizer (SDL's software
// renderer, or OpenGL on Mesa's llvmpipe, softpipe or swrast); asks the renderer's current context.
bool rendererIsSoftware(SDL_Renderer* renderer);

// True when the window is on an X server that offers no direct rendering (neither DRI2, DRI3 nor
// NVIDIA's GLX): OpenGL there can only be a software rasterizer, known without loading it.
bool x11WithoutDirectRendering(SDL_Window* window);

}  // namespace mw
