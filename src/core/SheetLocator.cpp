#include "core/SheetLocator.h"

#include <dirent.h>
#include <iconv.h>
#include <locale.h>
#include <sys/stat.h>
#include <wctype.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

namespace tilora {

namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when it is not a valid (shortest,
// non-surrogate, at most U+10FFFF) sequence.
std::size_t utf8Sequence(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    std::size_t n;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Code page 932 through the C library's converter: its table is Microsoft's own, byte for byte
// (0x5C is the backslash, also as the second byte of a double-byte character such as "表").
std::optional<std::string> decodeCp932(std::string_view bytes) {
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1)) return std::nullopt;
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* op = out.data();
    std::size_t outLeft = out.size();
    const std::size_t r = ::iconv(cd, &in, &inLeft, &op, &outLeft);
    ::iconv_close(cd);
    if (r == std::size_t(-1) || inLeft != 0) return std::nullopt;
    out.resize(std::size_t(op - out.data()));
    return out;
}

bool isCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The field split at '\' and '/'. In raw code page 932 bytes a separator byte that is the second
// half of a double-byte character is part of the name.
std::vector<std::string> splitComponents(std::string_view path, bool cp932) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (cp932 && isCp932Lead(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            parts.back() += c;
            parts.back() += path[++i];
        } else if (isSeparator(c)) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    std::erase_if(parts, [](const std::string& p) { return p.empty(); });
    return parts;
}

// "C:\..." or "\\server\..." or "\..." name a place on a Windows machine, never a path relative
// to the map file.
bool isRootedElsewhere(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return true;
    return !path.empty() && path[0] == '\\';
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Letter case folded for comparing names: UTF-8 text through the C library's Unicode tables;
// bytes that are neither UTF-8 nor code page 932 only in ASCII, behind a mark that keeps them
// apart from any text.
std::string nameKey(std::string_view name) {
    static const locale_t utf8Locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    const std::optional<std::string> text = decodeSheetPathText(name);
    std::string key;
    if (!text) {
        key = '\xFF';
        for (char c : name)
            key += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return key;
    }
    for (std::size_t i = 0; i < text->size();) {
        char32_t cp = 0;
        const std::size_t n = utf8Sequence(*text, i, cp);
        i += n;
        if (utf8Locale)
            cp = char32_t(::towlower_l(wint_t(cp), utf8Locale));
        else if (cp >= 'A' && cp <= 'Z')
            cp += 'a' - 'A';
        appendUtf8(key, cp);
    }
    return key;
}

// The regular file in dir whose name equals name, letter case ignored; an exact match wins,
// then the first match in byte order.
std::string findInFolder(const std::string& dir, const std::string& name) {
    if (name.empty() || name == "." || name == "..") return {};
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), ::closedir);
    if (!d) return {};
    const std::string wanted = nameKey(name);
    std::vector<std::string> matches;
    while (const dirent* e = ::readdir(d.get())) {
        const std::string entry = e->d_name;
        if (entry == name) {
            if (isRegularFile(dir + '/' + entry)) return entry;
            continue;
        }
        if (nameKey(entry) == wanted && isRegularFile(dir + '/' + entry)) matches.push_back(entry);
    }
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

std::string normal(const std::filesystem::path& p) {
    return p.lexically_normal().string();
}

struct Form {
    std::string path; // the field as text or as its raw bytes
    bool cp932;       // raw code page 932: separators are looked for character by character
};

} // namespace

bool isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = utf8Sequence(bytes, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::optional<std::string> decodeSheetPathText(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    return decodeCp932(bytes);
}

std::string displayPathText(std::string_view bytes) {
    if (auto text = decodeSheetPathText(bytes)) return *text;
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = utf8Sequence(bytes, i, cp);
        if (n == 0) {
            appendUtf8(out, 0xFFFD);
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

SheetLocation locateSheet(std::string_view written, std::string_view mapFilePath) {
    SheetLocation r;
    r.lookedFor = displayPathText(written);
    if (written.empty() || written.find('\0') != std::string_view::npos) return r;

    std::vector<Form> forms;
    const std::optional<std::string> text = decodeSheetPathText(written);
    if (text) forms.push_back({*text, false});
    // Raw bytes: split character by character as code page 932 (a Shift-JIS folder whose name
    // holds 0x5C), and also at every separator byte (a name in a single-byte code).
    if (!isValidUtf8(written)) {
        forms.push_back({std::string(written), true});
        forms.push_back({std::string(written), false});
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path mapAbsolute = fs::absolute(fs::path(std::string(mapFilePath)), ec);
    if (ec) return r;
    const fs::path mapDir = mapAbsolute.parent_path();

    // 1: the path itself, when it is a path of this system.
    for (const Form& f : forms)
        if (f.path[0] == '/' && isRegularFile(f.path)) {
            r.path = normal(f.path);
            return r;
        }

    // 2: relative to the map file, with Windows separators read as separators.
    for (const Form& f : forms) {
        if (f.path[0] == '/' || isRootedElsewhere(f.path)) continue;
        fs::path candidate = mapDir;
        for (const std::string& part : splitComponents(f.path, f.cp932))
            candidate /= part;
        if (isRegularFile(candidate.string())) {
            r.path = normal(candidate);
            return r;
        }
    }

    // 3: the sheet lying beside the map under its own name.
    for (const Form& f : forms) {
        const std::vector<std::string> parts = splitComponents(f.path, f.cp932);
        if (parts.empty()) continue;
        const std::string entry = findInFolder(mapDir.string(), parts.back());
        if (!entry.empty()) {
            r.path = normal(mapDir / entry);
            return r;
        }
    }
    return r;
}

} // namespace tilora
