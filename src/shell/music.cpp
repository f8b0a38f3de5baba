// Music playback. Stands in place until the player layer arrives.
#include "shell/music.h"

void music_init(SDL_Window*) {}
void music_play(SDL_Window*) {}
void BASS_Free() {}
