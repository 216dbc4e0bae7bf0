#pragma once
// Reads the hook library's shared block from outside: load the same
// Ostrilix.dll file the program uses, find its ".shared" section, and view
// it through the block's own declaration.  Every process that maps that file
// sees the one block, so this shows what the program pushed.
#include <string>

#include "ostrilix/core/shared_block.h"

namespace scenario {

class LibraryView {
public:
    explicit LibraryView(const std::wstring& dll_path);
    ~LibraryView();
    LibraryView(const LibraryView&) = delete;
    LibraryView& operator=(const LibraryView&) = delete;

    bool Loaded() const { return block_ != nullptr; }
    const volatile SharedBlock& Block() const { return *block_; }
    // The same block for writing, to set up what an earlier program left.
    volatile SharedBlock& MutableBlock() const { return *const_cast<volatile SharedBlock*>(block_); }
    SharedBlock Snapshot() const;
    HMODULE Module() const { return module_; }
    template <typename Fn>
    Fn Export(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    // The text of one of the two mapped lists as any process would read it;
    // empty when the mapping does not exist.  *exists tells which.
    static std::wstring MappedList(const wchar_t* name, bool* exists = nullptr);

private:
    HMODULE module_ = nullptr;
    const volatile SharedBlock* block_ = nullptr;
};

}  // namespace scenario
