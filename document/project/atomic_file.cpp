#include "document/project/atomic_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <new>
#include <system_error>

#include "engine/fnv.h"

namespace ob {
namespace fs = std::filesystem;
namespace {

void setError(std::string* error, const char* text) {
    if (error != nullptr) *error = text;
}

// A name no other writer in this folder will pick: the target's name, a
// per-process draw and a counter.
fs::path temporaryNameFor(const fs::path& target) {
    static std::atomic<std::uint64_t> counter{0};
    const auto now = static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t n = counter.fetch_add(1, std::memory_order_relaxed);
    const std::uint64_t draw =
        hashDraw(now ^ reinterpret_cast<std::uintptr_t>(&counter), n);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix = ".tmp-";
    for (int i = 0; i < 12; ++i) suffix += kHex[(draw >> (4 * i)) & 15];
    fs::path name = target.filename();
    name += suffix;
    return target.parent_path() / name;
}

}  // namespace

bool writeFileAtomically(const fs::path& path, const std::uint8_t* data, std::size_t size,
                         std::string* error) {
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    if (target.filename().empty() || fs::is_directory(target, ec)) {
        setError(error, "cannot open output file");
        return false;
    }
    const fs::path temp = temporaryNameFor(target);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            setError(error, "cannot open output file");
            return false;
        }
        if (size > 0) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.flush();
        const bool written = out.good();
        out.close();
        if (!written || out.fail()) {
            fs::remove(temp, ec);
            setError(error, "short write");
            return false;
        }
    }
    // What reached the disk must be exactly what was asked for.
    if (fs::file_size(temp, ec) != size || ec) {
        fs::remove(temp, ec);
        setError(error, "short write");
        return false;
    }
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::is_regular_file(old)) fs::permissions(temp, old.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        setError(error, "cannot replace the file");
        return false;
    }
    return true;
}

bool writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                         std::string* error) {
    return writeFileAtomically(path, bytes.data(), bytes.size(), error);
}

bool writeFileAtomically(const fs::path& path, std::string_view text, std::string* error) {
    return writeFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                               error);
}

bool readWholeFile(const fs::path& path, std::vector<std::uint8_t>& out, std::uint64_t maxSize) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0 || static_cast<std::uint64_t>(end) > maxSize) return false;
    in.seekg(0, std::ios::beg);
    try {
        out.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    if (end > 0) in.read(reinterpret_cast<char*>(out.data()), end);
    if (in.gcount() != end) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace ob
