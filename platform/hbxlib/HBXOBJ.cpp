#include "HBXOBJ.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "ObjMemory.h"
#include "ObjReader.h"
#include "ObjText.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

CString g_error;
int g_threads = 0;

int DefaultThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : (n > 8 ? 8 : static_cast<int>(n));
}

void SetError(const CString& name, std::string why) {
  // A sentence starts with a capital letter and ends with a full stop.
  if (!why.empty() && why[0] >= 'a' && why[0] <= 'z') why[0] = static_cast<char>(why[0] - 'a' + 'A');
  if (!why.empty() && why.back() != '.') why += '.';
  CString text;
  text.Format(L"Cannot read \"%s\". ", name.GetString());
  g_error = text + CString(why.c_str());
}

// An open file, read at given offsets (from several threads at once).
class File {
 public:
  ~File() {
#ifdef _WIN32
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
#else
    if (m_fd >= 0) close(m_fd);
#endif
  }
  uint64_t Size() const { return m_size; }

  bool Open(const CString& path, std::string& why) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.GetString());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(GetLastError(), why);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return why = "it is a folder, not a file", false;
    m_file = CreateFileW(path.GetString(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), why);
    LARGE_INTEGER size;
    if (GetFileType(m_file) != FILE_TYPE_DISK) return why = "it is not a regular file", false;
    if (!GetFileSizeEx(m_file, &size)) return Fail(GetLastError(), why);
    m_size = static_cast<uint64_t>(size.QuadPart);
    return true;
#else
    const std::string name = path.ToUtf8();
    m_fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return Fail(errno, why);
    struct stat st;
    if (fstat(m_fd, &st) != 0) return Fail(errno, why);
    if (S_ISDIR(st.st_mode)) return why = "it is a folder, not a file", false;
    if (!S_ISREG(st.st_mode)) return why = "it is not a regular file", false;
    m_size = static_cast<uint64_t>(st.st_size);
    return true;
#endif
  }

  // Up to n bytes at `offset`: the number read, 0 at the end, -1 on failure.
  int64_t ReadAt(uint64_t offset, char* dst, size_t n, std::string& why) const {
    if (n > (size_t{1} << 30)) n = size_t{1} << 30;
#ifdef _WIN32
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(m_file, dst, static_cast<DWORD>(n), &got, &at)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF) return 0;
      Fail(code, why);
      return -1;
    }
    return got;
#else
    for (;;) {
      const ssize_t got = pread(m_fd, dst, n, static_cast<off_t>(offset));
      if (got >= 0) return got;
      if (errno == EINTR) continue;
      Fail(errno, why);
      return -1;
    }
#endif
  }

  // The whole file in one block (for the text forms that are converted first).
  bool ReadAll(char*& data, size_t& size, std::string& why) const {
    if (m_size > static_cast<uint64_t>(SIZE_MAX) - 1 || !(data = static_cast<char*>(hbx::AllocateBlock(static_cast<size_t>(m_size))))) {
      why = "there is not enough memory to read it";
      return false;
    }
    size = 0;
    while (size < m_size) {
      const int64_t got = ReadAt(size, data + size, static_cast<size_t>(m_size - size), why);
      if (got < 0) {
        hbx::FreeBlock(data, static_cast<size_t>(m_size));
        data = nullptr;
        return false;
      }
      if (got == 0) break;  // the file became shorter while it was read
      size += static_cast<size_t>(got);
    }
    return true;
  }

 private:
#ifdef _WIN32
  static bool Fail(DWORD code, std::string& why) {
    switch (code) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_NAME:
      case ERROR_BAD_NETPATH: why = "the file does not exist"; break;
      case ERROR_ACCESS_DENIED: why = "access to the file is denied"; break;
      case ERROR_SHARING_VIOLATION: why = "another program holds the file open"; break;
      default: why = "the system could not read it (error " + std::to_string(code) + ")"; break;
    }
    return false;
  }
  HANDLE m_file = INVALID_HANDLE_VALUE;
#else
  static bool Fail(int code, std::string& why) {
    switch (code) {
      case ENOENT:
      case ENOTDIR: why = "the file does not exist"; break;
      case EACCES:
      case EPERM: why = "access to the file is denied"; break;
      case EISDIR: why = "it is a folder, not a file"; break;
      default: why = std::string("the system could not read it (") + std::strerror(code) + ")"; break;
    }
    return false;
  }
  int m_fd = -1;
#endif
  uint64_t m_size = 0;
};

int ReadBytes(const char* data, size_t size, const CString& name, ON_ClassArray<ON_Mesh>& meshes,
              const std::function<void()>& release) {
  std::string converted, why;
  const char* text = nullptr;
  size_t textSize = 0;
  if (!hbx::DecodeText(data, size, converted, text, textSize, why)) {
    SetError(name, why);
    return 0;
  }
  auto releaseAll = [&] {
    if (release) release();
    std::string().swap(converted);
  };
  if (!hbx::ReadObjText(text, textSize, HBXOBJ::GetThreadCount(), meshes, why, releaseAll)) {
    SetError(name, why);
    return 0;
  }
  return 1;
}

}  // namespace

int HBXOBJ::OBJToMesh(CString path, ON_ClassArray<ON_Mesh>& meshes) {
  std::string why;
  try {
    if (path.IsEmpty()) {
      SetError(path, "no file name was given");
      return 0;
    }
    File file;
    if (!file.Open(path, why)) {
      SetError(path, why);
      return 0;
    }
    unsigned char head[3] = {};
    const int64_t got = file.Size() >= 2 ? file.ReadAt(0, reinterpret_cast<char*>(head), 3, why) : 0;
    if (got < 0) {
      SetError(path, why);
      return 0;
    }
    if (got >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
      // UTF-16: converted as a whole, then read.
      char* data = nullptr;
      size_t size = 0;
      if (!file.ReadAll(data, size, why)) {
        SetError(path, why);
        return 0;
      }
      const size_t block = static_cast<size_t>(file.Size());
      bool freed = false;
      auto release = [&] {
        if (!freed) hbx::FreeBlock(data, block);
        freed = true;
      };
      int ok = 0;
      try {
        ok = ReadBytes(data, size, path, meshes, release);
      } catch (...) {
        release();
        throw;
      }
      release();
      return ok;
    }
    const uint64_t skip = got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF ? 3 : 0;
    const hbx::ReadAt readAt = [&](uint64_t offset, char* dst, size_t n, std::string& w) {
      return file.ReadAt(offset, dst, n, w);
    };
    if (!hbx::ReadObjStream(readAt, file.Size(), skip, GetThreadCount(), meshes, why)) {
      SetError(path, why);
      return 0;
    }
    return 1;
  } catch (const std::bad_alloc&) {
    SetError(path, "there is not enough memory to read it");
    return 0;
  }
}

int HBXOBJ::OBJTextToMesh(const void* data, size_t size, const CString& name, ON_ClassArray<ON_Mesh>& meshes) {
  try {
    return ReadBytes(static_cast<const char*>(data), size, name, meshes, {});
  } catch (const std::bad_alloc&) {
    SetError(name, "there is not enough memory to read it");
    return 0;
  }
}

CString HBXOBJ::GetError() { return g_error; }

void HBXOBJ::SetThreadCount(int count) { g_threads = count; }

int HBXOBJ::GetThreadCount() { return g_threads > 0 ? g_threads : DefaultThreads(); }
