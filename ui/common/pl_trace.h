#pragma once
// PlTrace: one line on standard error for each thing the program shows or
// does (a message arrived, a popup shown, the tray's status), when the
// program runs with --verbose, as "parlino YYYY-MM-DD HH:MM:SS.mmm: line".
// For people finding out what happened, and for the end-to-end tests, which
// read these lines.

#include <QString>

void PlSetTracing(bool on);
bool PlTracing();
void PlTrace(const QString& line);
