#include "vmhost/stream_redirection.h"

#include "launch/launcher.h"
#include "support/text.h"
#include "support/trace.h"
#include "vmhost/java_objects.h"

void ExpandTimePattern(WideString& name, const LocalTime& time, PictureFormatter formatTime,
                       PictureFormatter formatDate) {
    const int32_t first = name.FindUnit(u'%');
    if (first < 0) return;
    const int32_t last = name.FindLastUnit(u'%');
    WideString pattern;
    for (int32_t i = first + 1; i < last; ++i) {
        if (name[i] != u'L') {
            pattern.Append(name[i]);
            continue;
        }
        char16_t digits[12];
        pattern.Append(std::u16string_view(digits, static_cast<size_t>(
                                                       FormatDecimal(time.milliseconds, digits))));
    }
    if (pattern.Length() >= kPictureBufferUnits) {
        Trace(u"date and time pattern of %d units in %s: longer than the formatter takes, left out",
              {pattern.Length(), name});
        pattern.Clear();
    }
    if (!pattern.IsEmpty()) pattern = formatDate(formatTime(pattern, time), time);
    name = name.Left(first) + pattern + name.Mid(last + 1);
}

namespace {
void DescribePendingException(JNIEnv* env) {
    if (env->ExceptionCheck()) env->ExceptionDescribe();
}

// A PrintStream over a new FileOutputStream of the file; null with the constructor's exception
// (a file that cannot be opened) left pending.
jobject OpenPrintStream(JNIEnv* env, const WideString& name, bool append) {
    LocalRef javaName(env, NewJavaString(env, name));
    if (!javaName) return nullptr;
    LocalRef file(env, NewFileOutputStream(env, static_cast<jstring>(javaName.get()), append));
    if (!file) return nullptr;
    return NewPrintStream(env, file.get());
}

// System.setOut or System.setErr; an exception it throws is described here.
bool InstallStream(JNIEnv* env, const char* setter, jobject stream) {
    LocalRef system(env, env->FindClass("java/lang/System"));
    if (!system) return false;
    const jmethodID method = env->GetStaticMethodID(static_cast<jclass>(system.get()), setter,
                                                    "(Ljava/io/PrintStream;)V");
    if (!method) return false;
    env->CallStaticVoidMethod(static_cast<jclass>(system.get()), method, stream);
    if (!env->ExceptionCheck()) return true;
    env->ExceptionDescribe();
    return false;
}

bool Redirect(JNIEnv* env, const WideString& name, bool append, const char* setter) {
    LocalRef stream(env, OpenPrintStream(env, name, append));
    return stream && InstallStream(env, setter, stream.get());
}
}  // namespace

bool Launcher::RedirectError(const WideString& name, bool append) {
    return Redirect(jniEnv, name, append, "setErr");
}

bool Launcher::RedirectStandardStreams() {
    const bool outputPattern = outputFile.FindUnit(u'%') >= 0;
    const bool errorPattern = errorFile.FindUnit(u'%') >= 0;
    if (outputPattern || errorPattern) {
        // Both names carry the same instant.
        const LocalTime now = ReadLocalTime();
        if (outputPattern) ExpandTimePattern(outputFile, now, FormatTimePicture, FormatDatePicture);
        if (errorPattern) ExpandTimePattern(errorFile, now, FormatTimePicture, FormatDatePicture);
    }
    if (!outputFile.IsEmpty()) outputFile = PrepareOutputFile(outputFile);
    if (!errorFile.IsEmpty()) errorFile = PrepareOutputFile(errorFile);

    // A stream that cannot be redirected stays the console; the run goes on.
    LocalRef output(
        jniEnv, outputFile.IsEmpty() ? nullptr : OpenPrintStream(jniEnv, outputFile, appendOutput));
    if (!outputFile.IsEmpty() && (!output || !InstallStream(jniEnv, "setOut", output.get())))
        DescribePendingException(jniEnv);
    if (errorFile.IsEmpty()) return true;
    // One file gets one stream: two would each keep a position of their own and write over each
    // other's lines. Sameness is asked of the file system once the output file is open (and so
    // exists), which knows every spelling of it; the stream is the one the output file opened.
    if (output && SameFile(outputFile, errorFile)) {
        if (!InstallStream(jniEnv, "setErr", output.get())) DescribePendingException(jniEnv);
        return true;
    }
    if (!RedirectError(errorFile, appendError)) DescribePendingException(jniEnv);
    return true;
}
