/* libAssets.so: the product texts and the splash picture. No Qt here, so
   the program can read it before anything else is set up. */
#include <string.h>
#include <strings.h>

#include "SiblingApi.h"

#define ORV_EXPORT __attribute__((visibility("default")))

/* Made at build time from skin/splash.svg. */
extern const unsigned char kOrvSplashJpeg[];
extern const size_t kOrvSplashJpegSize;

static const char* const kStrings[] = {
    /* 0 */ "Orvanel Project",
    /* 1 */ "Orvanel",
    /* 2 */ "Video to PSP MP4, and sound to AAC, M4A or MP3.",
    /* 3 */ ORV_VERSION_TEXT,
    /* 4 */ "https://www.example.org/orvanel/",
    /* 5 */ "orvanel@example.org",
    /* 6 */ NULL,
    /* 7 */ "Free to use and to pass on. Thanks to the ffmpeg developers for the encoders.",
};

ORV_EXPORT int AssetsLoadString(int id, char* buffer, int bufferSize) {
    const char* text;
    size_t length;
    if (buffer == NULL || bufferSize <= 0) return 0;
    buffer[0] = '\0';
    if (id < 0 || (size_t)id >= sizeof kStrings / sizeof kStrings[0]) return 0;
    text = kStrings[id];
    if (text == NULL) return 0;
    length = strlen(text);
    if (length > (size_t)bufferSize - 1) length = (size_t)bufferSize - 1;
    memcpy(buffer, text, length);
    buffer[length] = '\0';
    return (int)length;
}

/* Resource names and types compare without regard to letter case, as
   resource names always have. */
ORV_EXPORT const unsigned char* AssetsFindResource(const char* name, const char* type,
                                                   size_t* size) {
    if (size != NULL) *size = 0;
    if (name == NULL || type == NULL) return NULL;
    if (strcasecmp(name, "ImgFlash") != 0 || strcasecmp(type, "jpeg") != 0) return NULL;
    if (size != NULL) *size = kOrvSplashJpegSize;
    return kOrvSplashJpeg;
}
