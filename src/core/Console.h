// One flushed line on standard output: how failed explicit saves are reported.
#pragma once

#include <QString>
#include <functional>

using LineSink = std::function<void(const QString &)>;

void printLine(const QString &line);
