#pragma once
// The toolkit's own warnings in unattended runs. A caller of an unattended
// run (QUILLET_NONINTERACTIVE=1, --pdf) reads standard error line by line as
// the program's messages, so a toolkit line such as "QStandardPaths:
// XDG_RUNTIME_DIR not set" must not appear there. The toolkit's debug, info,
// warning and critical messages go to the logging category
// "quillet.toolkit" instead, off unless asked for
// (QT_LOGGING_RULES="quillet.toolkit.debug=true"); fatal messages, which end
// the program, still reach standard error.

namespace quillet {

// Installs the routing for the rest of the run; call it before the toolkit
// starts, so that its warnings while starting are routed too.
void RouteToolkitMessages();

} // namespace quillet
