// The live window: the host screen in an SDL2 window, scaled up, with the phone's keys.
#include <SDL.h>

#include <cstring>
#include <memory>

#include "Graphics.h"
#include "TmxHost.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define LIVE_WINDOW_IGNORE_LEAKS __lsan::ScopedDisabler ignoreLeaks
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define LIVE_WINDOW_IGNORE_LEAKS __lsan::ScopedDisabler ignoreLeaks
#endif
#endif
#ifndef LIVE_WINDOW_IGNORE_LEAKS
#define LIVE_WINDOW_IGNORE_LEAKS
#endif

namespace tmxhost {
namespace {

struct Live {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 0;  // of the screen the texture holds
    int height = 0;
    int scale = 1;
    bool closed = false;
    std::function<void(char)> onKey;
};

std::unique_ptr<Live>& Current() {
    static std::unique_ptr<Live> live;
    return live;
}

bool Fail(std::string* error, const std::string& what) {
    if (error != nullptr) {
        *error = what + ": " + SDL_GetError();
    }
    CloseLiveWindow();
    return false;
}

// Copies the screen into the texture, following a change of the screen's size.
bool Upload(Live& live) {
    pixman_image_t* screen = gfx::ScreenImage();
    int width = pixman_image_get_width(screen);
    int height = pixman_image_get_height(screen);
    if (live.texture == nullptr || width != live.width || height != live.height) {
        if (live.texture != nullptr) {
            SDL_DestroyTexture(live.texture);
        }
        live.texture = SDL_CreateTexture(live.renderer, SDL_PIXELFORMAT_RGB565,
                                         SDL_TEXTUREACCESS_STREAMING, width, height);
        if (live.texture == nullptr) {
            return false;
        }
        live.width = width;
        live.height = height;
        SDL_SetWindowSize(live.window, width * live.scale, height * live.scale);
    }
    return SDL_UpdateTexture(live.texture, nullptr, pixman_image_get_data(screen),
                             pixman_image_get_stride(screen)) == 0;
}

bool Render(Live& live) {
    if (!Upload(live)) {
        return false;
    }
    SDL_SetRenderDrawColor(live.renderer, 0, 0, 0, 255);
    SDL_RenderClear(live.renderer);
    return SDL_RenderCopy(live.renderer, live.texture, nullptr, nullptr) == 0;
}

void Key(Live& live, char key) {
    if (live.onKey) {
        live.onKey(key);
    }
}

}  // namespace

bool OpenLiveWindow(const std::string& title, int scale, std::function<void(char key)> onKey,
                    std::string* error) {
    CloseLiveWindow();
    if (scale < 1 || scale > 8) {
        if (error != nullptr) {
            *error = "scale must be 1 to 8";
        }
        return false;
    }
    // SDL's video start-up keeps blocks in the libraries it loads and unloads (input methods,
    // D-Bus), which the leak checker cannot see freed; they are not this program's.
    LIVE_WINDOW_IGNORE_LEAKS;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr) {
            *error = std::string("no video: ") + SDL_GetError();
        }
        return false;
    }
    auto live = std::make_unique<Live>();
    live->scale = scale;
    live->onKey = std::move(onKey);
    Live& made = *(Current() = std::move(live));
    pixman_image_t* screen = gfx::ScreenImage();
    made.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   pixman_image_get_width(screen) * scale,
                                   pixman_image_get_height(screen) * scale, 0);
    if (made.window == nullptr) {
        return Fail(error, "no window");
    }
    // Whole pixels: each screen pixel becomes a scale x scale square.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    made.renderer = SDL_CreateRenderer(made.window, -1, 0);
    if (made.renderer == nullptr) {
        made.renderer = SDL_CreateRenderer(made.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (made.renderer == nullptr) {
        return Fail(error, "no renderer");
    }
    if (!Render(made)) {
        return Fail(error, "cannot draw the screen");
    }
    SDL_RenderPresent(made.renderer);
    return true;
}

bool PumpLiveWindow() {
    Live* live = Current().get();
    if (live == nullptr || live->closed) {
        return false;
    }
    if (Render(*live)) {
        SDL_RenderPresent(live->renderer);
    }
    SDL_Event event;
    while (!live->closed && SDL_PollEvent(&event) != 0) {
        switch (event.type) {
            case SDL_QUIT:
                live->closed = true;
                break;
            case SDL_WINDOWEVENT:
                live->closed = event.window.event == SDL_WINDOWEVENT_CLOSE;
                break;
            case SDL_KEYDOWN:
                if (event.key.repeat == 0 && (event.key.keysym.sym == SDLK_RETURN ||
                                              event.key.keysym.sym == SDLK_KP_ENTER)) {
                    Key(*live, kKeyEnter);
                } else if (event.key.repeat == 0 && event.key.keysym.sym == SDLK_ESCAPE) {
                    Key(*live, kKeyEscape);
                }
                break;
            case SDL_TEXTINPUT:
                // Typed characters, whatever the keyboard layout: '#' is often Shift+3.
                for (const char* c = event.text.text; *c != '\0'; ++c) {
                    if (std::strchr("0123456789*#", *c) != nullptr) {
                        Key(*live, *c);
                    }
                }
                break;
            default:
                break;
        }
    }
    return !live->closed;
}

bool LiveWindowPixels(std::vector<std::uint16_t>& pixels, int& width, int& height) {
    Live* live = Current().get();
    if (live == nullptr || !Render(*live)) {
        return false;
    }
    // Read from the frame just drawn, before it is presented: what the next present shows.
    SDL_GetRendererOutputSize(live->renderer, &width, &height);
    pixels.assign(static_cast<std::size_t>(width) * height, 0);
    if (SDL_RenderReadPixels(live->renderer, nullptr, SDL_PIXELFORMAT_RGB565, pixels.data(),
                             width * 2) != 0) {
        return false;
    }
    SDL_RenderPresent(live->renderer);
    return true;
}

void CloseLiveWindow() {
    std::unique_ptr<Live> live = std::move(Current());
    if (live == nullptr) {
        return;
    }
    if (live->texture != nullptr) {
        SDL_DestroyTexture(live->texture);
    }
    if (live->renderer != nullptr) {
        SDL_DestroyRenderer(live->renderer);
    }
    if (live->window != nullptr) {
        SDL_DestroyWindow(live->window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // SDL's own state (hints, event queue) goes with its last subsystem.
    if (SDL_WasInit(0) == 0) {
        SDL_Quit();
    }
}

}  // namespace tmxhost
