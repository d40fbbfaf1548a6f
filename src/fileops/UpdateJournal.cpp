#include "fileops/UpdateJournal.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kChecksumDigits = 8;

size_t FieldCount(JournalKind kind) {
    switch (kind) {
    case JournalKind::Header:
        return 3;
    case JournalKind::Folder:
    case JournalKind::Void:
    case JournalKind::StampWrite:
        return 1;
    case JournalKind::NewFile:
    case JournalKind::StampMove:
        return 2;
    case JournalKind::Replace:
        return 3;
    case JournalKind::Committed:
        return 0;
    }
    return 0;
}

bool IsKind(char c) {
    switch (static_cast<JournalKind>(c)) {
    case JournalKind::Header:
    case JournalKind::Folder:
    case JournalKind::NewFile:
    case JournalKind::Replace:
    case JournalKind::Void:
    case JournalKind::StampWrite:
    case JournalKind::StampMove:
    case JournalKind::Committed:
        return true;
    }
    return false;
}

bool ParseDecimal(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

bool ParseHex(const char* text, uint32_t& value) {
    value = 0;
    for (size_t i = 0; i < kChecksumDigits; ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    return true;
}

// One line without its line end; false when it is not a whole, valid record.
bool ParseLine(const std::string& line, JournalRecord& record) {
    if (line.size() < kChecksumDigits + 2 || line[line.size() - kChecksumDigits - 1] != '|')
        return false;
    const size_t body = line.size() - kChecksumDigits - 1;
    uint32_t stored;
    if (!ParseHex(line.c_str() + body + 1, stored) || stored != JournalChecksum(line.data(), body))
        return false;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find('|', start);
        if (bar == std::string::npos || bar > body)
            break;
        parts.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
    if (parts.size() < 2 || parts[1].size() != 1 || !IsKind(parts[1][0]))
        return false;
    record.kind = static_cast<JournalKind>(parts[1][0]);
    if (!ParseDecimal(parts[0], record.sequence))
        return false;
    // The first format's header has no version field.
    const bool firstHeader = record.kind == JournalKind::Header && parts.size() == 3;
    if (parts.size() != 2 + FieldCount(record.kind) && !firstHeader)
        return false;
    record.fields.assign(parts.begin() + 2, parts.end());
    for (const std::string& field : record.fields) {
        for (char c : field) {
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
        }
    }
    return true;
}

} // namespace

uint32_t JournalChecksum(const char* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string EncodeJournalRecord(const JournalRecord& record) {
    std::string line = std::to_string(record.sequence);
    line += '|';
    line += static_cast<char>(record.kind);
    line += '|';
    for (const std::string& field : record.fields) {
        line += field;
        line += '|';
    }
    char checksum[kChecksumDigits + 1];
    std::snprintf(checksum, sizeof checksum, "%08lx",
                  static_cast<unsigned long>(JournalChecksum(line.data(), line.size() - 1)));
    line.append(checksum, kChecksumDigits);
    line += "\r\n";
    return line;
}

JournalParse ParseJournal(const std::string& text, std::vector<JournalRecord>& records,
                          bool& torn) {
    records.clear();
    torn = false;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const bool last = end == std::string::npos || end + 1 == text.size();
        JournalRecord record;
        bool valid = end != std::string::npos && end > start && text[end - 1] == '\r';
        if (valid)
            valid = ParseLine(text.substr(start, end - 1 - start), record) &&
                    record.sequence == records.size() &&
                    (record.kind == JournalKind::Header) == records.empty();
        if (valid && record.kind == JournalKind::Header &&
            (JournalVersion(record) == 0 ||
             (JournalVersion(record) >= 2 && JournalFirstTemporary(record) == 0)))
            return JournalParse::Garbled; // a format this program does not know
        if (!valid) {
            // Only the line being written when the run stopped may be damaged:
            // its step was never taken.
            if (!last)
                return JournalParse::Garbled;
            torn = true;
            break;
        }
        records.push_back(record);
        start = end + 1;
    }
    return records.empty() ? JournalParse::Garbled : JournalParse::Complete;
}

bool IsSafetyNetName(const std::string& name) {
    if (name.size() != 6)
        return false;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool IsKeptName(const std::string& name) {
    return IsSafetyNetName(name) && static_cast<uint32_t>(name[0] - '0') >= kFirstKeptName / 100000;
}

bool IsTemporaryName(const std::string& name) {
    return IsSafetyNetName(name) && !IsKeptName(name) && name != "000000";
}

std::string SafetyNetName(uint32_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "%06lu", static_cast<unsigned long>(number % 1000000u));
    return name;
}

JournalRecord JournalHeader(const std::string& installFolder, uint32_t firstTemporary) {
    JournalRecord header;
    header.kind = JournalKind::Header;
    header.fields = {installFolder, std::to_string(kJournalVersion),
                     std::to_string(firstTemporary)};
    return header;
}

uint32_t JournalFirstTemporary(const JournalRecord& header) {
    uint32_t first = 0;
    if (JournalVersion(header) < 2 || !ParseDecimal(header.fields[2], first) || first == 0 ||
        first >= kFirstKeptName)
        return 0;
    return first;
}

uint32_t JournalVersion(const JournalRecord& header) {
    if (header.kind != JournalKind::Header || header.fields.empty())
        return 0;
    if (header.fields.size() == 1)
        return 1;
    uint32_t version = 0;
    if (header.fields.size() != 3)
        return 0;
    if (!ParseDecimal(header.fields[1], version) || version < 1 || version > kJournalVersion)
        return 0;
    return version;
}
