// Workshop mode: many ports at once. The system's state is one per process,
// so the program starts a copy of itself for each port (--workshop-child),
// all at once, reads the events each copy writes (events.h), shows them and
// ends with a summary. Every copy programs the same copy of the file, made
// and checked once, so a file changed meanwhile cannot reach some devices
// only; the copy is in no folder, so no ending leaves it behind.
#pragma once

#include "exit_status.h"
#include "options.h"
#include "texts.h"

#include <QString>
#include <QStringList>
#include <string>

namespace cli {

struct WorkshopRequest {
  Language language;
  QStringList ports;
  std::string file; // absolute, as the system names files; readable
  QString trace;    // empty: no trace
  bool json = false;
};

// Success only when every port succeeded; else the highest status of a port.
// A file that cannot be copied or is faulty ends every port before any is touched.
ExitStatus run_workshop(const WorkshopRequest& request, const Texts& texts);

// The trace file of one port: the file named with the port appended.
QString trace_file_for(const QString& trace, const QString& port);

} // namespace cli
