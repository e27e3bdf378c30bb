#pragma once

// Qt keeps per-session files in the user's runtime folder, named by
// XDG_RUNTIME_DIR; a root shell, a container or a service often sets none,
// and Qt then warns at every start. Where none is set, the program gets a
// folder of its own: "qorvane-runtime-<uid>" in the temporary folder, made
// 0700, and taken only when it is a real folder of the user's own that
// nobody else can enter; otherwise a new private one. Runs before the
// application object exists, which is when Qt first asks.

#include <QString>

// The folder now named in XDG_RUNTIME_DIR ("" when none could be made; Qt
// then falls back on its own).
QString ProvideRuntimeFolder();
