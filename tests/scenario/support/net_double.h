#pragma once
// tests/doubles/net_double.cpp put in place of the prefix's net.exe while the
// object lives (and the original put back after), with the DLL override that
// makes Wine run that file ("net.exe=n") in the environment this test
// process hands to the programs it starts.
#include <windows.h>

#include <string>
#include <vector>

namespace scenario {

class NetDouble {
public:
    // reply: the content of net_double.ini (see the double); empty removes
    // net.exe altogether, as on a system without it.
    explicit NetDouble(const std::string& reply, bool present = true);
    ~NetDouble();
    NetDouble(const NetDouble&) = delete;
    NetDouble& operator=(const NetDouble&) = delete;

    bool Ready() const { return ready_; }
    void SetReply(const std::string& reply);
    // The argument lists of every run so far, in order.
    std::vector<std::vector<std::wstring>> Runs() const;
    bool WaitForRuns(size_t count, DWORD timeout_ms) const;
    // The process ids of the copies started for child_hang_ms so far.
    std::vector<DWORD> Children() const;

private:
    std::wstring system_, net_, saved_, ini_, log_, children_;
    bool ready_ = false;
};

}  // namespace scenario
