#include "terrain/envi_header.h"

#include <limits.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Lower case, runs of blanks made one space: "Default   Bands" -> "default bands".
std::string NormaliseKey(const std::string& key)
{
    std::string out;
    bool blank = false;
    for (char c : Trim(key)) {
        if (IsBlank(c)) {
            blank = true;
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

bool ParseDefaultBands(const std::string& value, int bands[3])
{
    if (value.size() < 2 || value.front() != '{' || value.back() != '}')
        return false;
    const std::string inner = value.substr(1, value.size() - 2);
    std::vector<int> items;
    size_t pos = 0;
    for (;;) {
        size_t comma = inner.find(',', pos);
        std::string item = inner.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        long long v = 0;
        if (!ParseEnviWhole(item, INT_MAX, v) || v < 1 || items.size() == 3)
            return false;
        items.push_back(static_cast<int>(v - 1));
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    if (items.size() == 1) {
        bands[0] = bands[1] = bands[2] = items[0];
        return true;
    }
    if (items.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        bands[i] = items[i];
    return true;
}

}  // namespace

bool ParseEnviWhole(const std::string& text, long long maxValue, long long& value)
{
    std::string t = Trim(text);
    if (t.empty())
        return false;
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        // v * 10 + digit > maxValue, asked without overflow.
        if (v > maxValue / 10 || v * 10 > maxValue - (c - '0'))
            return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

EnviStatus ReadEnviKeys(const char* text, size_t size, std::map<std::string, std::string>* values)
{
    if (size > kEnviMaxHeaderBytes)
        return EnviStatus::TooLarge;
    if (text == nullptr && size > 0)
        return EnviStatus::NoMagic;
    std::string all(text ? text : "", size);
    if (all.find('\0') != std::string::npos)
        return EnviStatus::Syntax;
    if (all.compare(0, 3, "\xEF\xBB\xBF") == 0)
        all.erase(0, 3);

    std::vector<std::string> lines;
    for (size_t pos = 0; pos <= all.size();) {
        size_t nl = all.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back(all.substr(pos));
            break;
        }
        lines.push_back(all.substr(pos, nl - pos));
        pos = nl + 1;
    }
    if (lines.empty() || Trim(lines[0]) != "ENVI")
        return EnviStatus::NoMagic;

    for (size_t i = 1; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == ';')
            continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            return EnviStatus::Syntax;
        std::string key = NormaliseKey(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (key.empty())
            return EnviStatus::Syntax;
        if (!value.empty() && value[0] == '{') {
            // Gather lines up to the closing brace; nothing may follow it.
            size_t close = value.find('}');
            while (close == std::string::npos) {
                if (++i >= lines.size())
                    return EnviStatus::Syntax;
                // Only the line just added can hold the brace: searching the whole value
                // again each time would take time growing with the square of its lines.
                const size_t added = value.size();
                value += '\n';
                value += lines[i];
                close = value.find('}', added);
            }
            if (!Trim(value.substr(close + 1)).empty())
                return EnviStatus::Syntax;
            value = Trim(value.substr(0, close + 1));
        }
        (*values)[key] = value;  // the last of a repeated key wins
    }
    return EnviStatus::Ok;
}

EnviStatus ParseEnviHeader(const char* text, size_t size, EnviHeader* out)
{
    std::map<std::string, std::string> values;
    const EnviStatus read = ReadEnviKeys(text, size, &values);
    if (read != EnviStatus::Ok)
        return read;

    auto bandsIt = values.find("bands");
    if (bandsIt == values.end())
        return EnviStatus::NoBands;
    long long bands = 0;
    if (!ParseEnviWhole(bandsIt->second, kEnviMaxBands, bands) || bands < 1)
        return EnviStatus::BadBands;

    EnviHeader header;
    header.bands = static_cast<int>(bands);
    auto defaultIt = values.find("default bands");
    if (defaultIt != values.end()) {
        if (!ParseDefaultBands(defaultIt->second, header.defaultBands))
            return EnviStatus::BadDefaultBands;
        header.hasDefaultBands = true;
    } else {
        for (int i = 0; i < 3; ++i)
            header.defaultBands[i] = i < header.bands ? i : header.bands - 1;
    }
    if (out != nullptr)
        *out = header;
    return EnviStatus::Ok;
}

std::vector<std::string> EnviHeaderPaths(const std::string& dataFile)
{
    std::vector<std::string> paths;
    if (dataFile.empty())
        return paths;
    size_t sep = dataFile.find_last_of("\\/");
    size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
    size_t dot = dataFile.find_last_of('.');
    // An extension is a dot inside the file name, not its first character ("dir\.hdr" has none).
    if (dot != std::string::npos && dot > nameStart)
        paths.push_back(dataFile.substr(0, dot) + ".hdr");
    paths.push_back(dataFile + ".hdr");
    return paths;
}
