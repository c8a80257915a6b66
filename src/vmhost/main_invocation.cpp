#include "launch/launcher.h"
#include "launch/messages.h"
#include "modes/ready_signal.h"
#include "support/trace.h"
#include "support/utf8.h"
#include "vmhost/idle.h"
#include "vmhost/java_objects.h"

namespace {
// Which main the JDK's launcher helper validated. Since JDK 25 a program may declare main without
// the String[] and as an instance method; the helper then says which one through two static
// fields. Runtimes before that have neither field and only the static main(String[]).
struct MainKind {
    bool isStatic = true;
    bool takesArguments = true;
};

// The JDK's own launcher helper: it loads the class the way the java command does (and reports
// like it on standard error), and tells which main it found. null when this VM has no such route.
jclass CallLauncherHelper(Launcher& launcher, JNIEnv* env, MainKind& kind) {
    if (!launcher.findClassFromBootLoader) return nullptr;
    LocalRef helper(env, launcher.findClassFromBootLoader(env, "sun/launcher/LauncherHelper"));
    if (!helper) return nullptr;
    const auto helperType = static_cast<jclass>(helper.get());
    jmethodID checkAndLoadMain = env->GetStaticMethodID(
        helperType, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (!checkAndLoadMain) return nullptr;
    WideString dotted = launcher.mainClass;
    dotted.ReplaceUnit(u'/', u'.');
    LocalRef name(env, NewJavaString(env, dotted));
    if (!name) return nullptr;
    const auto mainType = static_cast<jclass>(env->CallStaticObjectMethod(
        helperType, checkAndLoadMain, JNI_TRUE, static_cast<jint>(1), name.get()));
    if (!mainType || env->ExceptionCheck()) return mainType;

    jfieldID isStatic = env->GetStaticFieldID(helperType, "isStaticMain", "Z");
    jfieldID noArguments = isStatic ? env->GetStaticFieldID(helperType, "noArgMain", "Z") : nullptr;
    if (!isStatic || !noArguments) {
        // An older runtime: its lookup failure must not stay pending into the call of main.
        env->ExceptionClear();
        return mainType;
    }
    kind.isStatic = env->GetStaticBooleanField(helperType, isStatic) != JNI_FALSE;
    kind.takesArguments = env->GetStaticBooleanField(helperType, noArguments) == JNI_FALSE;
    return mainType;
}

// Any failure on the helper route falls through to the class route without a message, and that
// route must start without the exception the failure may have left pending.
jclass LoadThroughLauncherHelper(Launcher& launcher, JNIEnv* env, MainKind& kind) {
    jclass loaded = CallLauncherHelper(launcher, env, kind);
    if (!env->ExceptionCheck()) return loaded;
    env->ExceptionClear();
    if (loaded) env->DeleteLocalRef(loaded);
    kind = MainKind();
    return nullptr;
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

const char* MainSignature(const MainKind& kind) {
    return kind.takesArguments ? "([Ljava/lang/String;)V" : "()V";
}

const char16_t* MainDescription(const MainKind& kind) {
    if (kind.isStatic) return kind.takesArguments ? u"static main(String[])" : u"static main()";
    return kind.takesArguments ? u"main(String[]) of a new instance" : u"main() of a new instance";
}

// Calls main of the kind given; an instance main runs on a new object of the class, made through
// its no-argument constructor as the java command makes it. An exception from the constructor
// stays pending like one from main. False when the method cannot be found.
bool CallMain(Launcher& launcher, JNIEnv* env, jclass mainType, const MainKind& kind) {
    jmethodID mainMethod = kind.isStatic
                               ? env->GetStaticMethodID(mainType, "main", MainSignature(kind))
                               : env->GetMethodID(mainType, "main", MainSignature(kind));
    if (!mainMethod) {
        // A real VM always has its NoSuchMethodError pending here; the launcher's own line
        // follows the VM's print so the user sees both.
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        PrintError(LoadMessage(kMsgMainMethodMissing));
        return false;
    }
    jmethodID constructor = nullptr;
    if (!kind.isStatic) {
        constructor = env->GetMethodID(mainType, "<init>", "()V");
        if (!constructor) {
            if (env->ExceptionCheck()) env->ExceptionDescribe();
            PrintError(LoadMessage(kMsgMainMethodMissing));
            return false;
        }
    }
    LocalRef argumentArray(env, kind.takesArguments ? NewStringArray(env, launcher.arguments)
                                                    : nullptr);
    if (kind.takesArguments && !argumentArray) {
        env->ExceptionDescribe();
        return false;
    }
    if (!launcher.BeginMain()) {
        Trace(u"main class %s: the service was stopped before main started; main is not called",
              {launcher.mainClass});
        return true;
    }
    Trace(u"main class %s: calling %s", {launcher.mainClass, MainDescription(kind)});

    // The user sees what went wrong so far before the program's own windows appear.
    EndErrorStreamCapture();
    ShowGatheredErrors();
    SignalReady(launcher.startedEvent);
    if (kind.isStatic) {
        if (kind.takesArguments) {
            env->CallStaticVoidMethod(mainType, mainMethod, argumentArray.get());
        } else {
            env->CallStaticVoidMethod(mainType, mainMethod);
        }
        return true;
    }
    LocalRef instance(env, env->NewObject(mainType, constructor));
    if (!instance) return true;  // the constructor threw
    if (kind.takesArguments) {
        env->CallVoidMethod(instance.get(), mainMethod, argumentArray.get());
    } else {
        env->CallVoidMethod(instance.get(), mainMethod);
    }
    return true;
}

// Loads the main class and runs main. Every local reference is released before it returns:
// the caller detaches the thread next, and its environment is gone after that.
bool RunMain(Launcher& launcher, JNIEnv* env) {
    MainKind kind;
    jclass mainType = LoadThroughLauncherHelper(launcher, env, kind);
    if (mainType) {
        Trace(u"main class %s: loaded by the JDK's launcher helper", {launcher.mainClass});
    } else {
        Trace(launcher.findClassFromBootLoader
                  ? u"main class %s: not through the JDK's launcher helper, trying FindClass"
                  : u"main class %s: the VM has no launcher helper, trying FindClass",
              {launcher.mainClass});
        mainType = LoadThroughFindClass(launcher, env);
        if (!mainType) return false;
        Trace(u"main class %s: loaded by FindClass", {launcher.mainClass});
    }
    LocalRef mainTypeRef(env, mainType);
    if (!CallMain(launcher, env, mainType, kind)) return false;

    LocalRef thrown(env, env->ExceptionOccurred());
    if (thrown && launcher.failureCheck) {
        // Building the text calls into the VM, which the JNI rules forbid while an exception is
        // pending: take it, build the text, and put it back so the run ends as without the check.
        const auto exception = static_cast<jthrowable>(thrown.get());
        env->ExceptionClear();
        launcher.ExceptionText(env, exception);
        env->Throw(exception);
    }
    return true;
}
}  // namespace

bool Launcher::InvokeMain() {
    if (!RunMain(*this, jniEnv)) return false;
    // Some vendors' VMs end the process from their own threads once main has returned; the run
    // thread must then stay alive and attached.
    if (ibmAccepted || ibmFavored) SleepForever();
    // An exception that main threw is still pending: detaching hands it to the VM's
    // uncaught-exception handler, which prints it.
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
    if (env->ExceptionCheck()) env->ExceptionDescribe();

    LocalRef bufferType(env, env->GetObjectClass(buffer.get()));
    if (!bufferType) return WideString();
    jmethodID toString =
        env->GetMethodID(static_cast<jclass>(bufferType.get()), "toString", "()Ljava/lang/String;");
    if (!toString) return WideString();
    LocalRef text(env, env->CallObjectMethod(buffer.get(), toString));
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    return JavaStringText(env, static_cast<jstring>(text.get()));
}
