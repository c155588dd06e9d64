// Path requester: the system's folder browser, with the shell loaded by name for each call.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "runtime/handles_win.h"
#include "runtime/system_libraries.h"
#include "ui/requester/requester.h"
#include "ui/requester/requester_internal.h"

namespace {

using BrowseForFolderFn = LPITEMIDLIST(WINAPI*)(BROWSEINFOA*);
using PathFromIdListFn = BOOL(WINAPI*)(LPCITEMIDLIST, char*);

constexpr size_t kPathChars = 259;   // the system's path limit without the terminator
constexpr UINT kBrowseFlags = 0x50;  // BIF_NEWDIALOGSTYLE | BIF_EDITBOX

// A function of a library loaded for the lifetime of one call.
template <typename Fn>
Fn library_function(const win::Module& library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

}  // namespace

void path_initial_text(const char* initial_path, char (&buffer)[kPathBufferSize]) {
  if (!initial_path) initial_path = "";
  size_t length = strnlen(initial_path, kPathChars);
  std::memcpy(buffer, initial_path, length);
  buffer[length] = '\0';
  if (length > 3 && buffer[length - 1] == '\\') buffer[length - 1] = '\0';
}

int CALLBACK path_requester_init_callback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) {
    // Sent as it is: "%appdata%" and the like are not expanded.
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

std::string request_path(const char* title, const char* initial_path) {
  // The folder browser needs COM on the calling thread; start-up does not start it. A thread
  // that has it already only counts one more start.
  com_initialize();
  const win::Module shell(LoadLibraryA("SHELL32.DLL"));
  if (!shell) return std::string();
  auto browse = library_function<BrowseForFolderFn>(shell, "SHBrowseForFolder");
  auto path_from_id = library_function<PathFromIdListFn>(shell, "SHGetPathFromIDList");
  if (!browse || !path_from_id) return std::string();

  char initial[kPathBufferSize];
  path_initial_text(initial_path, initial);

  BROWSEINFOA info{};
  info.hwndOwner = requester_owner_window();
  info.lpszTitle = title ? title : "";
  info.ulFlags = kBrowseFlags;
  info.lpfn = path_requester_init_callback;
  info.lParam = reinterpret_cast<LPARAM>(initial);

  modal_enter();
  LPITEMIDLIST item = browse(&info);
  modal_leave();
  if (!item) return std::string();

  char result[kPathBufferSize + 1] = {};  // a full-length path plus the added "\"
  path_from_id(item, result);
  com_task_mem_free(item);
  size_t length = strnlen(result, kPathBufferSize);
  result[length] = '\0';
  if (length != 0 && result[length - 1] != '\\') result[length++] = '\\';
  return std::string(result, length);
}
