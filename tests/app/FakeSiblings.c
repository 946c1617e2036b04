/* Stand-ins for the sibling libraries, built twice: FAKE_PANES records what
   ShowAboutForm was given; FAKE_ASSETS has only entry 1 and a picture that
   is not a JPEG. */
#include <stddef.h>
#include <string.h>

#include "SiblingApi.h"

#define EXPORT __attribute__((visibility("default")))

#ifdef FAKE_PANES
EXPORT int FakeAboutCalls = 0;
EXPORT void* FakeAboutApplication = NULL;
EXPORT char FakeAboutProduct[256] = "";
EXPORT char FakeAboutAppPath[256] = "";

EXPORT void ShowAboutForm(void* application, const struct TOrvSoftInfo* info) {
    ++FakeAboutCalls;
    FakeAboutApplication = application;
    if (info != NULL && info->StructSize >= sizeof *info) {
        strncpy(FakeAboutProduct, info->ProductName, sizeof FakeAboutProduct - 1);
        strncpy(FakeAboutAppPath, info->AppPath, sizeof FakeAboutAppPath - 1);
    }
}
#endif

#ifdef FAKE_ASSETS
static const unsigned char kNotAPicture[] = "this is not a JPEG";

EXPORT int AssetsLoadString(int id, char* buffer, int bufferSize) {
    if (bufferSize <= 0) return 0;
    buffer[0] = '\0';
    if (id != ORV_STR_PRODUCT_NAME) return 0;
    strncpy(buffer, "Partial", (size_t)bufferSize - 1);
    buffer[bufferSize - 1] = '\0';
    return (int)strlen(buffer);
}

EXPORT const unsigned char* AssetsFindResource(const char* name, const char* type, size_t* size) {
    (void)name;
    (void)type;
    *size = sizeof kNotAPicture;
    return kNotAPicture;
}
#endif
