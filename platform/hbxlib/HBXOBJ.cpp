#include "HBXOBJ.h"

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

// The file's bytes in one block of memory, freed on destruction or by Release.
class FileBytes {
 public:
  ~FileBytes() { Release(); }
  void Release() {
    hbx::FreeBlock(m_data, m_block);
    m_data = nullptr;
  }
  char* Data() const { return m_data; }
  size_t Size() const { return m_size; }

  bool Read(const CString& path, int threads, std::string& why) {
#ifdef _WIN32
    (void)threads;  // one sequential read: the system reads ahead
    const DWORD attributes = GetFileAttributesW(path.GetString());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(GetLastError(), why);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return why = "it is a folder, not a file", false;
    HANDLE file = CreateFileW(path.GetString(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError(), why);
    bool ok = false;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK) {
      why = "it is not a regular file";
    } else if (!GetFileSizeEx(file, &size)) {
      Fail(GetLastError(), why);
    } else if (Allocate(static_cast<unsigned long long>(size.QuadPart), why)) {
      ok = true;
      size_t done = 0;
      while (done < m_size) {
        const size_t want = m_size - done > (1u << 30) ? (1u << 30) : m_size - done;
        DWORD got = 0;
        if (!ReadFile(file, m_data + done, static_cast<DWORD>(want), &got, nullptr)) {
          ok = Fail(GetLastError(), why);
          break;
        }
        if (got == 0) break;  // the file became shorter while it was read
        done += got;
      }
      m_size = done;
    }
    CloseHandle(file);
    return ok;
#else
    const std::string name = path.ToUtf8();
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(errno, why);
    bool ok = false;
    struct stat st;
    if (fstat(fd, &st) != 0) {
      Fail(errno, why);
    } else if (S_ISDIR(st.st_mode)) {
      why = "it is a folder, not a file";
    } else if (!S_ISREG(st.st_mode)) {
      why = "it is not a regular file";
    } else if (Allocate(static_cast<unsigned long long>(st.st_size), why)) {
      // Large files are read in parallel pieces: copying them out of the system's
      // cache into fresh memory is a good part of the whole reading time.
      const size_t pieces = threads > 1 && m_size >= (size_t{32} << 20) ? static_cast<size_t>(threads) : 1;
      std::vector<size_t> got(pieces, 0);
      std::vector<int> errors(pieces, 0);
      auto readPiece = [&](size_t k) {
        const size_t from = m_size / pieces * k, to = k + 1 == pieces ? m_size : m_size / pieces * (k + 1);
        size_t done = from;
        while (done < to) {
          const size_t want = to - done > (size_t{1} << 30) ? (size_t{1} << 30) : to - done;
          const ssize_t n = pread(fd, m_data + done, want, static_cast<off_t>(done));
          if (n < 0 && errno == EINTR) continue;
          if (n < 0) {
            errors[k] = errno;
            break;
          }
          if (n == 0) break;  // the file became shorter while it was read
          done += static_cast<size_t>(n);
        }
        got[k] = done - from;
      };
      std::vector<std::thread> pool;
      for (size_t k = 1; k < pieces; ++k) {
        try {
          pool.emplace_back(readPiece, k);
        } catch (...) {
          readPiece(k);
        }
      }
      readPiece(0);
      for (auto& t : pool) t.join();
      ok = true;
      size_t total = 0;
      for (size_t k = 0; k < pieces && ok; ++k) {
        if (errors[k]) ok = Fail(errors[k], why);
        const size_t expected = (k + 1 == pieces ? m_size : m_size / pieces * (k + 1)) - m_size / pieces * k;
        total += got[k];
        if (got[k] != expected) break;  // a shorter file ends at the first short piece
      }
      m_size = total;
    }
    close(fd);
    return ok;
#endif
  }

 private:
  bool Allocate(unsigned long long size, std::string& why) {
    if (size > static_cast<unsigned long long>(SIZE_MAX) - 1 ||
        !(m_data = static_cast<char*>(hbx::AllocateBlock(static_cast<size_t>(size))))) {
      why = "there is not enough memory to read it";
      return false;
    }
    m_size = m_block = static_cast<size_t>(size);
    return true;
  }
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
#endif
  char* m_data = nullptr;
  size_t m_size = 0, m_block = 0;
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
    FileBytes bytes;
    if (path.IsEmpty()) {
      SetError(path, "no file name was given");
      return 0;
    }
    if (!bytes.Read(path, GetThreadCount(), why)) {
      SetError(path, why);
      return 0;
    }
    return ReadBytes(bytes.Data(), bytes.Size(), path, meshes, [&] { bytes.Release(); });
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
