/* The entries of the two libraries beside the program, shared by the
   libraries and the program that opens them with dlopen. Plain C, so the
   layout does not depend on the compiler's C++ rules. */
#ifndef ORV_SIBLING_API_H
#define ORV_SIBLING_API_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* libAssets.so: product texts and the splash picture. */

/* Copies string-table entry id into buffer (at most bufferSize - 1 bytes,
   always NUL-terminated when bufferSize > 0). Returns the number of bytes
   copied; 0 when there is no such entry. */
typedef int (*TAssetsLoadString)(int id, char* buffer, int bufferSize);
#define ORV_ASSETS_LOAD_STRING "AssetsLoadString"

/* The bytes of the resource of that name and type, or NULL. The bytes stay
   valid while the library is loaded. */
typedef const unsigned char* (*TAssetsFindResource)(const char* name, const char* type,
                                                    size_t* size);
#define ORV_ASSETS_FIND_RESOURCE "AssetsFindResource"

/* String-table entries. Entry 6 is not used. */
enum {
    ORV_STR_COMPANY_NAME = 0,
    ORV_STR_PRODUCT_NAME = 1,
    ORV_STR_INFO_TEXT2 = 2,
    ORV_STR_VERSION = 3,
    ORV_STR_HOME_PAGE = 4,
    ORV_STR_EMAIL = 5,
    ORV_STR_INFO_TEXT7 = 7
};

/* libPanes.so: the about box. */

/* The product information handed to the about box. Texts are NUL-terminated
   bytes (UTF-8 in practice); StructSize lets the library refuse a record
   laid out for another version. */
struct TOrvSoftInfo {
    size_t StructSize;
    const char* CompanyName;
    const char* ProductName;
    const char* InfoText2;
    const char* Version;
    const char* HomePage;
    const char* Email;
    const char* InfoText7;
    const char* AppPath;
};

/* Shows a modal about box and returns when it has been closed.
   application: the program's QApplication. */
typedef void (*TShowAboutForm)(void* application, const struct TOrvSoftInfo* info);
#define ORV_SHOW_ABOUT_FORM "ShowAboutForm"

#ifdef __cplusplus
}
#endif

#endif
