#include "reports/ExportText.h"

#include "records/Task.h"
#include "timecalc/Calendar.h"
#include "timecalc/NumberText.h"
#include "timecalc/TimeCalc.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

using namespace timecalc;

namespace reports {

namespace {

// Damaged dates sort after every real one instead of breaking the ordering.
double sortKey(double date)
{
    return std::isnan(date) ? INFINITY : date;
}

// A growing UTF-8 byte buffer written through a raw pointer: appending piece by piece
// to a QString and encoding it afterwards costs several times as much for a large export.
class Utf8Buffer
{
public:
    explicit Utf8Buffer(qsizetype expected) { m_bytes.resize(qMax<qsizetype>(expected, 64)); }

    // Every put below must be covered by a reserve() made before it.
    void reserve(qsizetype more)
    {
        if (m_size + more > m_bytes.size())
            m_bytes.resize(qMax(m_bytes.size() * 2, m_size + more));
    }
    void put(char c) { m_bytes.data()[m_size++] = c; }
    void put(std::string_view s)
    {
        std::memcpy(m_bytes.data() + m_size, s.data(), s.size());
        m_size += qsizetype(s.size());
    }
    template<class Number>
    void putInteger(Number n)
    {
        char *at = m_bytes.data() + m_size;
        m_size += std::to_chars(at, at + 24, n).ptr - at;
    }
    // One UTF-16 unit or pair as UTF-8; a half surrogate pair has no UTF-8 form and
    // becomes U+FFFD. Returns how many units it used.
    qsizetype putCharacter(QStringView text, qsizetype i)
    {
        char32_t c = text[i].unicode();
        qsizetype used = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            used = 2;
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            put(char(c));
        } else if (c < 0x800) {
            put(char(0xC0 | (c >> 6)));
            put(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            put(char(0xE0 | (c >> 12)));
            put(char(0x80 | ((c >> 6) & 0x3F)));
            put(char(0x80 | (c & 0x3F)));
        } else {
            put(char(0xF0 | (c >> 18)));
            put(char(0x80 | ((c >> 12) & 0x3F)));
            put(char(0x80 | ((c >> 6) & 0x3F)));
            put(char(0x80 | (c & 0x3F)));
        }
        return used;
    }
    void putText(QStringView text)
    {
        for (qsizetype i = 0; i < text.size();)
            i += putCharacter(text, i);
    }

    QByteArray take()
    {
        m_bytes.resize(m_size);
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    qsizetype m_size = 0;
};

// Bytes a text can take at most: three per UTF-16 unit, six per escaped unit.
qsizetype worstCase(QStringView text, int perUnit)
{
    return text.size() * perUnit + 2;
}

bool needsCsvQuotes(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c == u';' || c == u'"' || c == u'\n'; });
}

void putCsvField(Utf8Buffer &out, QStringView text)
{
    if (!needsCsvQuotes(text)) {
        out.putText(text);
        return;
    }
    out.put('"');
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'"')
            out.put('"');
        i += out.putCharacter(text, i);
    }
    out.put('"');
}

// "%.2f" with a decimal comma.
void putDecimalCommaHours(Utf8Buffer &out, double hours)
{
    FixedDecimalsBuffer buffer;
    const std::string_view text = fixedDecimals(buffer, hours, 2);
    out.reserve(qsizetype(text.size()));
    for (const char c : text)
        out.put(c == '.' ? ',' : c);
}

// The JSON texts are written here rather than through QJsonDocument, whose object model
// costs about a second for 100,000 tasks. The output is the one QJsonDocument's indented
// form gives (the tests compare the two): four-space indentation, ": " after a key, the
// same string escapes, integral numbers up to 2^53 written as integers and others in
// the shortest form that reads back to the same double.
void putJsonString(Utf8Buffer &out, QStringView text)
{
    static const char hex[] = "0123456789abcdef";
    out.put('"');
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'"': out.put("\\\""); break;
        case u'\\': out.put("\\\\"); break;
        case u'\b': out.put("\\b"); break;
        case u'\f': out.put("\\f"); break;
        case u'\n': out.put("\\n"); break;
        case u'\r': out.put("\\r"); break;
        case u'\t': out.put("\\t"); break;
        default: {
            const bool halfPair = QChar::isLowSurrogate(c)
                || (QChar::isHighSurrogate(c) && !(i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())));
            if (c >= 0x20 && !halfPair) {
                i += out.putCharacter(text, i);
                continue;
            }
            // Other control characters, and half surrogate pairs, as escapes.
            out.put("\\u");
            for (int shift = 12; shift >= 0; shift -= 4)
                out.put(hex[(c >> shift) & 0xF]);
        }
        }
        ++i;
    }
    out.put('"');
}

void putJsonNumber(Utf8Buffer &out, double value)
{
    constexpr double exactIntegers = 9007199254740992.0; // 2^53
    if (value == std::trunc(value) && std::fabs(value) <= exactIntegers) {
        out.putInteger(qint64(value)); // -0 comes out as 0, as QJsonDocument writes it
        return;
    }
    // Hours rounded to hundredths, k / 100 with |k| below 10^15: any decimal of at most
    // 15 significant digits reads back as the double nearest to it and no shorter one
    // does, so k / 100 without trailing zeros is the shortest form, written without an
    // exponent as the general format writes such numbers.
    const double hundredths = std::round(value * 100.0);
    if (std::fabs(hundredths) < 1e15 && hundredths / 100.0 == value) {
        const qint64 k = qint64(hundredths);
        const qint64 magnitude = k < 0 ? -k : k;
        if (k < 0)
            out.put('-');
        out.putInteger(magnitude / 100);
        out.put('.');
        const int cents = int(magnitude % 100);
        out.put(char('0' + cents / 10));
        if (cents % 10)
            out.put(char('0' + cents % 10));
        return;
    }
    const QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    out.reserve(text.size());
    out.put(std::string_view(text.constData(), size_t(text.size())));
}

} // namespace

QString rawValue(ExportFormat format)
{
    return format == ExportFormat::Csv ? QStringLiteral("csv") : QStringLiteral("json");
}

QString label(ExportFormat format)
{
    return format == ExportFormat::Csv ? QStringLiteral("CSV") : QStringLiteral("JSON");
}

QList<ExportFormat> allExportFormats()
{
    return {ExportFormat::Csv, ExportFormat::Json};
}

std::optional<ExportFormat> exportFormatFromRaw(const QString &raw)
{
    for (ExportFormat format : allExportFormats())
        if (rawValue(format) == raw)
            return format;
    return std::nullopt;
}

QString fileExtension(ExportFormat format)
{
    return rawValue(format);
}

QString proposedFileName(ExportFormat format)
{
    return QStringLiteral("timetracker-export.") + fileExtension(format);
}

QList<ExportRow> exportRows(const QList<Task *> &tasks)
{
    // Sorting (date, task) pairs rather than the tasks reads each task once instead of
    // at every comparison; with 100,000 tasks scattered in memory that is most of the cost.
    std::vector<std::pair<double, const Task *>> ordered;
    ordered.reserve(size_t(tasks.size()));
    for (const Task *task : tasks)
        ordered.emplace_back(sortKey(task->dateSeconds()), task);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });

    // Many tasks share a day; formatting each day once spares a time-zone
    // conversion per task.
    QHash<double, QString> dayTexts;
    QList<ExportRow> rows;
    rows.reserve(tasks.size());
    for (const auto &[key, task] : ordered) {
        const double date = task->dateSeconds();
        QString day;
        if (std::isfinite(date)) {
            auto it = dayTexts.constFind(date);
            if (it == dayTexts.cend())
                it = dayTexts.insert(date, localDate(date).toString(QStringLiteral("yyyy-MM-dd")));
            day = *it;
        }
        const qint64 current = task->currentSeconds();
        rows.append(ExportRow{day, task->name(), task->projectCodeText(), task->accumulatedSeconds(),
                              decimalHoursFor(current), billableHoursFor(current)});
    }
    return rows;
}

QString csvField(const QString &text)
{
    if (!needsCsvQuotes(text))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray csvText(const QList<ExportRow> &rows)
{
    Utf8Buffer out(128 + rows.size() * 72);
    out.reserve(128);
    out.put("\xEF\xBB\xBF" "Dato;Opgave;Projektkode;Sekunder;Timer;Fakturerbare timer");
    for (const ExportRow &row : rows) {
        // Fixed parts (separators, seconds, the two hours fields) stay well inside 128.
        out.reserve(128 + worstCase(row.day, 3) + worstCase(row.name, 6) + worstCase(row.code, 6));
        out.put('\n');
        out.putText(row.day);
        out.put(';');
        putCsvField(out, row.name);
        out.put(';');
        putCsvField(out, row.code);
        out.put(';');
        out.putInteger(row.storedSeconds);
        out.put(';');
        putDecimalCommaHours(out, row.hours);
        out.put(';');
        putDecimalCommaHours(out, row.billableHours);
    }
    return out.take();
}

ExportFile jsonText(const QList<ExportRow> &rows)
{
    Utf8Buffer out(16 + rows.size() * 200);
    out.reserve(8);
    out.put("[\n");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ExportRow &row = rows.at(i);
        const double hours = roundToHundredths(row.hours);
        const double billable = roundToHundredths(row.billableHours);
        // JSON has no form for these; writing null would turn a number member into none.
        if (!std::isfinite(hours) || !std::isfinite(billable))
            return {QByteArray(), QCoreApplication::translate("ExportText", "Timerne for opgaven \"%1\" kan ikke skrives som tal.").arg(row.name)};
        out.reserve(256 + worstCase(row.day, 6) + worstCase(row.name, 6) + worstCase(row.code, 6));
        out.put("    {\n        \"billableHours\": ");
        putJsonNumber(out, billable);
        out.put(",\n        \"date\": ");
        putJsonString(out, row.day);
        out.put(",\n        \"hours\": ");
        putJsonNumber(out, hours);
        out.put(",\n        \"name\": ");
        putJsonString(out, row.name);
        out.put(",\n        \"projectCode\": ");
        putJsonString(out, row.code);
        out.put(",\n        \"seconds\": ");
        out.putInteger(row.storedSeconds);
        out.put(i + 1 < rows.size() ? std::string_view("\n    },\n") : std::string_view("\n    }\n"));
    }
    out.reserve(4);
    out.put("]\n");
    return {out.take(), QString()};
}

ExportFile exportFile(const QList<ExportRow> &rows, ExportFormat format)
{
    if (format == ExportFormat::Csv)
        return {csvText(rows), QString()};
    return jsonText(rows);
}

ExportSummary exportSummary(const QList<Task *> &tasks)
{
    ExportSummary summary;
    summary.taskCount = tasks.size();
    for (const Task *task : tasks) {
        const qint64 current = task->currentSeconds();
        summary.hours += decimalHoursFor(current);
        summary.billableHours += billableHoursFor(current);
    }
    return summary;
}

} // namespace reports
