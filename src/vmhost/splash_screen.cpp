#include "vmhost/splash_screen.h"

#include "launch/launcher.h"
#include "support/trace.h"

void Launcher::ShowSplashScreen() {
    if (splashImage.IsEmpty()) return;
    if (headless) {
        Trace(u"splash screen %s: not shown, the VM runs headless", {splashImage});
        return;
    }
    // A service runs on no user's desktop.
    if (serviceMode) {
        Trace(u"splash screen %s: not shown in service mode", {splashImage});
        return;
    }
    SplashLibrary splash;
    if (!BindSplashLibrary(runtimeLibraryPath, splash)) return;
    if (!splash.init()) {
        Trace(u"splash screen %s: the runtime's library cannot show one here", {splashImage});
        return;
    }
    const NarrowString image = ToNarrow(splashImage);
    // On a monitor scaled up, the library may name a sharper variant of the image (name@2x.png).
    float scale = 1;
    ByteString scaled;
    if (splash.scaledImageName && splash.scaledNameSuffixLength) {
        const int suffix = splash.scaledNameSuffixLength(image.c_str());
        if (suffix > 0) scaled.resize(static_cast<size_t>(suffix));
        if (scaled.empty() ||
            !splash.scaledImageName(nullptr, image.c_str(), &scale, scaled.data(), scaled.size()))
            scaled.clear();
    }
    if (!scaled.empty() && splash.setScaleFactor) splash.setScaleFactor(scale);
    if (!splash.loadFile(scaled.empty() ? image.c_str() : scaled.data())) {
        Trace(u"splash screen %s: the image cannot be read", {splashImage});
        return;
    }
    splash.setFileJarName(image.c_str(), nullptr);
    Trace(u"splash screen %s: shown", {splashImage});
}
