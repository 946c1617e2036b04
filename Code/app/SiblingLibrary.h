// A library beside the program, opened by its absolute path (a bare name
// would make the loader search elsewhere) and closed when this object ends.
#pragma once

#include <string>

class TSiblingLibrary {
  public:
    // holdsQt: the library contains Qt code and must stay mapped after it is
    // closed, since unmapping it while Qt runs can crash.
    TSiblingLibrary(const std::string& absolutePath, bool holdsQt);
    ~TSiblingLibrary();
    TSiblingLibrary(const TSiblingLibrary&) = delete;
    TSiblingLibrary& operator=(const TSiblingLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // Why the library or the last symbol could not be found.
    const std::string& Error() const { return error_; }

    template <class F>
    F Symbol(const char* name) {
        return reinterpret_cast<F>(RawSymbol(name));
    }

  private:
    void* RawSymbol(const char* name);
    void* handle_ = nullptr;
    std::string error_;
};

// The program folder: the folder of the running executable, with a trailing "/".
std::string ProgramFolder();
