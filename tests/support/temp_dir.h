#pragma once
// A temporary folder for one test, removed with everything in it when the test ends, and
// helpers to point the program's data folder and home there.

#include <string>
#include <string_view>

namespace quillory::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative
    std::string operator/(std::string_view relative) const;

    // Writes `bytes` to the relative path (parents created), returns the full path.
    std::string WriteFile(std::string_view relative, std::string_view bytes) const;
    std::string MakeDir(std::string_view relative) const;

  private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR (mode 0700) and HOME inside a
// fresh temporary folder.
class IsolatedHome {
  public:
    IsolatedHome();
    const TempDir& Dir() const { return dir_; }
    std::string DataFolder() const { return dir_ / "data/quillory/"; }
    std::string ConfigFolder() const { return dir_ / "config"; }
    std::string RuntimeFolder() const { return dir_ / "runtime"; }

  private:
    TempDir dir_;
    ScopedEnv data_, config_, cache_, runtime_, home_;
};

}  // namespace quillory::test
