#pragma once

#include <QString>

// Splits a command line into the program name and its parameters, joined by
// single blanks; a parameter holding a blank is put back between double
// quotes. Quotes group blanks into one parameter and are themselves dropped.
void SplitCommandLine(const QString& cmdLine, QString& programName, QString& params);
