// What SDL's audio costs with nothing to play: opens the default device in the
// player's format and block size, hands it silence from the callback, and runs until
// it is ended. bench_sonaro weighs it beside the player, so the player's own share
// of its CPU time can be told from SDL's.
// Usage: sdl_audio_floor (SDL_AUDIODRIVER chooses the driver)

#include "tools/sonaro/Player.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>

namespace
{

void silence(void *, Uint8 *stream, int len)
{
    std::memset(stream, 0, static_cast<std::size_t>(len));
}

} // namespace

int main()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sdl_audio_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_AudioSpec want{};
    want.freq = sonaro::Player::kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = sonaro::Player::kBlockFrames;
    want.callback = &silence;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        std::fprintf(stderr, "sdl_audio_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_PauseAudioDevice(device, 0);
    for (;;)
        SDL_Delay(1000);
}
