#include "launch/launcher.h"
#include "launch/messages.h"
#include "modes/ready_signal.h"
#include "support/utf8.h"
#include "vmhost/idle.h"
#include "vmhost/java_objects.h"

namespace {
// The JDK's own launcher helper: it loads the class the way the java command does (and reports
// like it on standard error). null when this VM has no such route.
jclass LoadThroughLauncherHelper(Launcher& launcher, JNIEnv* env) {
    if (!launcher.findClassFromBootLoader) return nullptr;
    jclass helper = launcher.findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (!helper) return nullptr;
    LocalRef helperRef(env, helper);
    jmethodID checkAndLoadMain = env->GetStaticMethodID(
        helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (!checkAndLoadMain) return nullptr;
    WideString dotted = launcher.mainClass;
    dotted.ReplaceUnit(u'/', u'.');
    LocalRef name(env, NewJavaString(env, dotted));
    if (!name) return nullptr;
    jobject loaded = env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE,
                                                 static_cast<jint>(1), name.get());
    if (env->ExceptionCheck()) {
        // The class route starts clean; this route fails without a message of its own.
        env->ExceptionClear();
        if (loaded) env->DeleteLocalRef(loaded);
        return nullptr;
    }
    return static_cast<jclass>(loaded);
}

// FindClass with the configured "/" name. Reports its own failures.
jclass LoadThroughFindClass(Launcher& launcher, JNIEnv* env) {
    LocalRef name(env, NewJavaString(env, launcher.mainClass));
    if (!name) {
        ReportError(LoadMessage(kMsgMainClassNotLoaded), launcher.mainClass);
        return nullptr;
    }
    const char* chars = env->GetStringUTFChars(static_cast<jstring>(name.get()), nullptr);
    if (!chars) {
        env->ExceptionDescribe();
        return nullptr;
    }
    jclass mainClass = env->FindClass(chars);
    const WideString className(DecodeModifiedUtf8(chars));
    // Released on both paths: a class that is not found must not leak the characters.
    env->ReleaseStringUTFChars(static_cast<jstring>(name.get()), chars);
    if (!mainClass) {
        env->ExceptionDescribe();
        ReportError(LoadMessage(kMsgMainClassNotFound), className);
    }
    return mainClass;
}
}  // namespace

bool Launcher::InvokeMain() {
    JNIEnv* env = jniEnv;
    jclass mainType = LoadThroughLauncherHelper(*this, env);
    if (!mainType) {
        mainType = LoadThroughFindClass(*this, env);
        if (!mainType) return false;
    }
    LocalRef mainTypeRef(env, mainType);

    jmethodID mainMethod = env->GetStaticMethodID(mainType, "main", "([Ljava/lang/String;)V");
    if (!mainMethod) {
        if (env->ExceptionOccurred()) {
            env->ExceptionDescribe();
        } else {
            PrintError(LoadMessage(kMsgMainMethodMissing));
        }
        return false;
    }
    LocalRef argumentArray(env, NewStringArray(env, arguments));
    if (!argumentArray) {
        env->ExceptionDescribe();
        return false;
    }

    SignalReady(startedEvent);
    env->CallStaticVoidMethod(mainType, mainMethod, argumentArray.get());

    jthrowable thrown = env->ExceptionOccurred();
    if (thrown && failureCheck) {
        // Building the text calls into the VM, which the JNI rules forbid while an exception is
        // pending: take it, build the text, and put it back so the run ends as without the check.
        env->ExceptionClear();
        ExceptionText(env, thrown);
        env->Throw(thrown);
    }
    if (thrown) env->DeleteLocalRef(thrown);

    // Some vendors' VMs end the process from their own threads once main has returned; the run
    // thread must then stay alive and attached.
    if (ibmAccepted || ibmFavored) SleepForever();
    return javaVm->DetachCurrentThread() == JNI_OK;
}

WideString Launcher::ExceptionText(JNIEnv* env, jthrowable exception) {
    if (!exception) return WideString();
    LocalRef buffer(env, NewByteArrayOutputStream(env));
    if (!buffer) return WideString();
    LocalRef printer(env, NewPrintStream(env, buffer.get()));
    if (!printer) return WideString();
    LocalRef exceptionType(env, env->GetObjectClass(exception));
    if (!exceptionType) return WideString();
    jmethodID printStackTrace = env->GetMethodID(static_cast<jclass>(exceptionType.get()),
                                                 "printStackTrace", "(Ljava/io/PrintStream;)V");
    if (!printStackTrace) return WideString();
    env->CallVoidMethod(exception, printStackTrace, printer.get());
    if (env->ExceptionOccurred()) env->ExceptionDescribe();

    LocalRef bufferType(env, env->GetObjectClass(buffer.get()));
    if (!bufferType) return WideString();
    jmethodID toString =
        env->GetMethodID(static_cast<jclass>(bufferType.get()), "toString", "()Ljava/lang/String;");
    if (!toString) return WideString();
    LocalRef text(env, env->CallObjectMethod(buffer.get(), toString));
    if (env->ExceptionOccurred()) env->ExceptionDescribe();
    return JavaStringText(env, static_cast<jstring>(text.get()));
}
