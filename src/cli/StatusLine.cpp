#include "cli/StatusLine.h"

#include <cstdio>

namespace {
// U+2060 WORD JOINER: draws as nothing, and polybar reads no tag in "%\u2060{".
constexpr const char *wordJoiner = "\xE2\x81\xA0";

std::string toolTipOf(const TrackerStatus &status)
{
    std::string text = status.toolTip;
    if (!status.saveError.empty())
        text += (text.empty() ? "" : "\n") + status.saveError;
    return text;
}
} // namespace

std::string statusClass(const TrackerStatus &status)
{
    if (!status.saveError.empty())
        return "not-saving";
    return status.running ? "running" : "idle";
}

std::string escapeMarkup(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string escapeJson(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c; // UTF-8 passes as it is
        }
    }
    return out;
}

std::string escapePolybar(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '{')
            out += wordJoiner;
    }
    return out;
}

std::string statusLine(const TrackerStatus *status, LineFormat format)
{
    if (!status)
        return format == LineFormat::I3blocks ? "{\"full_text\":\"\"}" : std::string();
    // A line is a line: a name never breaks it in two.
    std::string label = status->label;
    for (char &c : label)
        if (c == '\n' || c == '\r')
            c = ' ';
    switch (format) {
    case LineFormat::Plain:
        return label;
    case LineFormat::Polybar:
        return escapePolybar(label);
    case LineFormat::Genmon:
        return "<txt>" + escapeMarkup(label) + "</txt><tool>" + escapeMarkup(toolTipOf(*status)) + "</tool>";
    case LineFormat::I3blocks:
        return "{\"full_text\":\"" + escapeJson(label) + "\"}";
    case LineFormat::Json: {
        const std::string cls = statusClass(*status);
        return "{\"text\":\"" + escapeJson(escapeMarkup(label)) + "\",\"tooltip\":\""
               + escapeJson(escapeMarkup(toolTipOf(*status))) + "\",\"class\":\"" + cls + "\",\"alt\":\"" + cls
               + "\"}";
    }
    }
    return label;
}
