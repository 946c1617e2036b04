// The four utility objects the whole program shares: the program folder and
// the log, the process query, a text helper and the file helpers with the
// free output name rule. Reach them through AppFunc, SysFunc, StrFunc and
// FileFunc after InitFuncObjects.
#pragma once

#include <string>
#include <vector>

#include "Ports.h"

class TAppFunc {
  public:
    // The folder of the running program, with a trailing "/".
    std::string GetAppPath() const;
    // For tests only: makes GetAppPath answer folder (a trailing "/" is
    // added when missing); an empty text goes back to the program's folder.
    static void SetAppPath(const std::string& folder);
    // Appends "Castemir Soft <date> <time>|<message>" and CR LF to log.txt
    // in the program folder. A failure is reported on standard error and
    // never reaches the caller.
    void WriteLog(const std::string& message) const;
};

class TSysFunc {
  public:
    // The process id of a running process of that image name, or 0.
    int ProcessExists(const std::string& name);
    // The process list ProcessExists reads; wired at start-up.
    static IProcessTable* Processes;
};

class TStrFunc {
  public:
    // The text after the last separator; the whole text when it holds none.
    std::string GetLastPart(const std::string& text, const std::string& separator) const;
    std::string GetLastPart(const std::string& text, char separator) const {
        return GetLastPart(text, std::string(1, separator));
    }
};

class TFileFunc {
  public:
    // Everything up to and including the last "/"; empty when there is none.
    std::string GetFilePath(const std::string& path) const;
    // The file name part without its last extension.
    std::string GetFileNameNoExt(const std::string& path) const;
    // folder + name of each entry of folder (which ends in "/"), in the
    // system's order; filter is an extension with its dot (exact match), or
    // empty for all. A folder that cannot be read gives an empty list.
    std::vector<std::string> GetFileList(const std::string& folder,
                                         const std::string& filter) const;
    // path itself, or path with "_1", "_2", ... after its base name: the
    // first whose base name no entry of the folder has.
    std::string GetUniqueFileName(const std::string& path);
    // The search step of GetUniqueFileName; reads FBaseName.
    std::string FindFreeFileName(const std::string& path) const;

    // The base name of the path of the latest GetUniqueFileName.
    std::string FBaseName;
};

// Points the four references at their instances. Safe to call again: the
// instances stay the same, so references taken earlier remain valid.
void InitFuncObjects();

extern TAppFunc* AppFunc;
extern TSysFunc* SysFunc;
extern TStrFunc* StrFunc;
extern TFileFunc* FileFunc;
