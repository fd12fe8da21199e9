// The stb image decoder and TrueType rasteriser, compiled from the distribution's headers.
// The rest of the program includes the same headers for their declarations only.
#define STB_IMAGE_IMPLEMENTATION
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_truetype.h>
