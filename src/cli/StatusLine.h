// The tracker's state as one line for a terminal, a script or somebody else's bar. No Qt:
// this is what a bar runs every second.
#pragma once

#include <cstdint>
#include <string>

struct TrackerStatus
{
    std::string label;   // exactly as the status item shows it
    bool running = false;
    std::string taskId;
    std::string taskName;
    std::int64_t seconds = 0;
    std::string todayHours;
    std::string toolTip; // plain text, lines split by \n
    std::string saveError; // why changes are not saved; empty while they are

    bool operator==(const TrackerStatus &) const = default;
};

enum class LineFormat {
    Plain,   // the label as it stands
    Json,    // one object per line: text, tooltip, class, alt (Pango markup in the texts)
    Polybar, // the label with polybar's %{...} tags made inert
    Genmon,  // Xfce's Generic Monitor: <txt> and <tool>, Pango markup inside
    I3blocks, // i3blocks' JSON (format=json): full_text, plain; it reads an empty line as the end
};

// `status` is null while the program is not running: then the line is empty, or in i3blocks'
// JSON an empty text.
std::string statusLine(const TrackerStatus *status, LineFormat format);

// running, idle or not-saving
std::string statusClass(const TrackerStatus &status);
std::string escapeMarkup(const std::string &text);
std::string escapeJson(const std::string &text);
std::string escapePolybar(const std::string &text);
