#pragma once
// The Windows version Wine reports to every process started from an image of
// the given file name ("win2k", "winxp", "win7", ...), while the object
// lives.  Takes effect for processes started afterwards.  A null version
// changes nothing.
namespace scenario {

class ScopedAppVersion {
public:
    ScopedAppVersion(const wchar_t* exe_name, const wchar_t* version);
    ~ScopedAppVersion();
    ScopedAppVersion(const ScopedAppVersion&) = delete;
    ScopedAppVersion& operator=(const ScopedAppVersion&) = delete;

private:
    wchar_t key_[128];
};

}  // namespace scenario
