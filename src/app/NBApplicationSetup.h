// Process set-up around the application object: what must happen before it exists (the shared
// OpenGL surface format) and right after (names, quitting cleanly on SIGTERM and SIGINT).
#pragma once

class QApplication;

namespace NBApplicationSetup {

/// Compatibility-profile OpenGL for every window and shared context; call before QApplication.
void configureBeforeApplication();
/// Application names and a clean quit (the event loop ends normally) on SIGTERM and SIGINT.
void configureApplication(QApplication &application);

} // namespace NBApplicationSetup
