#include "SiblingLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

TSiblingLibrary::TSiblingLibrary(const std::string& absolutePath, bool holdsQt) {
    if (absolutePath.empty() || absolutePath.front() != '/') {
        error_ = "'" + absolutePath + "' is not an absolute path";
        return;
    }
    handle_ = dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL | (holdsQt ? RTLD_NODELETE : 0));
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why ? why : "cannot load '" + absolutePath + "'";
    }
}

TSiblingLibrary::~TSiblingLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

void* TSiblingLibrary::RawSymbol(const char* name) {
    if (handle_ == nullptr) return nullptr;
    dlerror();
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) {
        const char* why = dlerror();
        error_ = why ? why : std::string("no entry ") + name;
    }
    return symbol;
}

std::string ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "./";
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}
