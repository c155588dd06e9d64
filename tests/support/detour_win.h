// Sends every call of a function of this process to a replacement while it lives: a jump is
// written over the function's first bytes, which come back at the end. For tests of calls to the
// system whose effect cannot be seen (Wine ignores some of them). Windows only, x86 and x64.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace test_support {

class Detour {
 public:
  Detour(void* target, void* replacement) : target_(static_cast<unsigned char*>(target)) {
    if (!target_) return;
    unsigned char jump[kSize];
    const size_t at = kSize - 2 - sizeof replacement;  // mov rax/eax, replacement
    jump[0] = 0x48;                                    // (the REX prefix only on x64)
    jump[at - 1] = 0xB8;
    std::memcpy(jump + at, &replacement, sizeof replacement);
    jump[kSize - 2] = 0xFF;  // jmp rax / eax
    jump[kSize - 1] = 0xE0;
    ok_ = write(jump, saved_);
  }
  ~Detour() {
    if (ok_) write(saved_, nullptr);
  }
  Detour(const Detour&) = delete;
  Detour& operator=(const Detour&) = delete;
  bool ok() const { return ok_; }

 private:
  static constexpr size_t kSize = sizeof(void*) == 8 ? 12 : 7;

  bool write(const unsigned char* bytes, unsigned char* old) {
    DWORD protect = 0;
    if (!VirtualProtect(target_, kSize, PAGE_EXECUTE_READWRITE, &protect)) return false;
    if (old) std::memcpy(old, target_, kSize);
    std::memcpy(target_, bytes, kSize);
    VirtualProtect(target_, kSize, protect, &protect);
    FlushInstructionCache(GetCurrentProcess(), target_, kSize);
    return true;
  }

  unsigned char* target_;
  unsigned char saved_[kSize] = {};
  bool ok_ = false;
};

}  // namespace test_support
