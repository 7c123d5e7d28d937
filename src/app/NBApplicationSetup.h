// Process set-up around the application object: what must happen before it exists (names and
// version, which name the settings file; the shared OpenGL surface format) and right after
// (display name, quitting cleanly on SIGTERM and SIGINT).
#pragma once

class QApplication;

namespace NBApplicationSetup {

/// Organisation, application name and version; call first, before the settings are read.
void setApplicationNames();
/// Compatibility-profile OpenGL for every window and shared context; call before QApplication.
void configureBeforeApplication();
/// Display name and a clean quit (the event loop ends normally) on SIGTERM and SIGINT.
void configureApplication(QApplication &application);

} // namespace NBApplicationSetup
