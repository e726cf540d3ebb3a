// The replaced image decoder's implementation, for the benchmark and the corpus test. It is
// kept apart because it is slow to compile and its warnings are not ours.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_PSD
#define STBI_NO_GIF
#define STBI_NO_PIC
#define STBI_NO_PNM
// Radiance files have a bounded reader of the host's own (radiance_file.h).
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
