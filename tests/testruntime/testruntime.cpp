// The test runtime: a jvm.dll that stands in for a Windows Java runtime when the launcher's tests
// run under Wine. It plays Java with a handful of known classes (it is not a JVM), records what
// the launcher did to the file named by QZ_TEST_RECORD, and enforces the JNI rules a real VM
// enforces, so that a launcher bug fails here instead of passing.
//
// Variants from this one source: QZ_TEST_NO_BOOT_LOADER leaves out JVM_FindClassFromBootLoader,
// QZ_TEST_NO_CREATE leaves out JNI_CreateJavaVM.
#define _JNI_IMPLEMENTATION_  // jni.h then declares the invocation functions dllexport
#include <jni.h>
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// Every slot of the JNI function table, in table order (after the four reserved ones).
// clang-format off
#define QZ_JNI_FUNCTIONS(X) \
    X(GetVersion) X(DefineClass) X(FindClass) X(FromReflectedMethod) X(FromReflectedField) \
    X(ToReflectedMethod) X(GetSuperclass) X(IsAssignableFrom) X(ToReflectedField) X(Throw) \
    X(ThrowNew) X(ExceptionOccurred) X(ExceptionDescribe) X(ExceptionClear) X(FatalError) \
    X(PushLocalFrame) X(PopLocalFrame) X(NewGlobalRef) X(DeleteGlobalRef) X(DeleteLocalRef) \
    X(IsSameObject) X(NewLocalRef) X(EnsureLocalCapacity) X(AllocObject) X(NewObject) \
    X(NewObjectV) X(NewObjectA) X(GetObjectClass) X(IsInstanceOf) X(GetMethodID) \
    X(CallObjectMethod) X(CallObjectMethodV) X(CallObjectMethodA) X(CallBooleanMethod) \
    X(CallBooleanMethodV) X(CallBooleanMethodA) X(CallByteMethod) X(CallByteMethodV) \
    X(CallByteMethodA) X(CallCharMethod) X(CallCharMethodV) X(CallCharMethodA) X(CallShortMethod) \
    X(CallShortMethodV) X(CallShortMethodA) X(CallIntMethod) X(CallIntMethodV) X(CallIntMethodA) \
    X(CallLongMethod) X(CallLongMethodV) X(CallLongMethodA) X(CallFloatMethod) \
    X(CallFloatMethodV) X(CallFloatMethodA) X(CallDoubleMethod) X(CallDoubleMethodV) \
    X(CallDoubleMethodA) X(CallVoidMethod) X(CallVoidMethodV) X(CallVoidMethodA) \
    X(CallNonvirtualObjectMethod) X(CallNonvirtualObjectMethodV) X(CallNonvirtualObjectMethodA) \
    X(CallNonvirtualBooleanMethod) X(CallNonvirtualBooleanMethodV) \
    X(CallNonvirtualBooleanMethodA) X(CallNonvirtualByteMethod) X(CallNonvirtualByteMethodV) \
    X(CallNonvirtualByteMethodA) X(CallNonvirtualCharMethod) X(CallNonvirtualCharMethodV) \
    X(CallNonvirtualCharMethodA) X(CallNonvirtualShortMethod) X(CallNonvirtualShortMethodV) \
    X(CallNonvirtualShortMethodA) X(CallNonvirtualIntMethod) X(CallNonvirtualIntMethodV) \
    X(CallNonvirtualIntMethodA) X(CallNonvirtualLongMethod) X(CallNonvirtualLongMethodV) \
    X(CallNonvirtualLongMethodA) X(CallNonvirtualFloatMethod) X(CallNonvirtualFloatMethodV) \
    X(CallNonvirtualFloatMethodA) X(CallNonvirtualDoubleMethod) X(CallNonvirtualDoubleMethodV) \
    X(CallNonvirtualDoubleMethodA) X(CallNonvirtualVoidMethod) X(CallNonvirtualVoidMethodV) \
    X(CallNonvirtualVoidMethodA) X(GetFieldID) X(GetObjectField) X(GetBooleanField) \
    X(GetByteField) X(GetCharField) X(GetShortField) X(GetIntField) X(GetLongField) \
    X(GetFloatField) X(GetDoubleField) X(SetObjectField) X(SetBooleanField) X(SetByteField) \
    X(SetCharField) X(SetShortField) X(SetIntField) X(SetLongField) X(SetFloatField) \
    X(SetDoubleField) X(GetStaticMethodID) X(CallStaticObjectMethod) X(CallStaticObjectMethodV) \
    X(CallStaticObjectMethodA) X(CallStaticBooleanMethod) X(CallStaticBooleanMethodV) \
    X(CallStaticBooleanMethodA) X(CallStaticByteMethod) X(CallStaticByteMethodV) \
    X(CallStaticByteMethodA) X(CallStaticCharMethod) X(CallStaticCharMethodV) \
    X(CallStaticCharMethodA) X(CallStaticShortMethod) X(CallStaticShortMethodV) \
    X(CallStaticShortMethodA) X(CallStaticIntMethod) X(CallStaticIntMethodV) \
    X(CallStaticIntMethodA) X(CallStaticLongMethod) X(CallStaticLongMethodV) \
    X(CallStaticLongMethodA) X(CallStaticFloatMethod) X(CallStaticFloatMethodV) \
    X(CallStaticFloatMethodA) X(CallStaticDoubleMethod) X(CallStaticDoubleMethodV) \
    X(CallStaticDoubleMethodA) X(CallStaticVoidMethod) X(CallStaticVoidMethodV) \
    X(CallStaticVoidMethodA) X(GetStaticFieldID) X(GetStaticObjectField) X(GetStaticBooleanField) \
    X(GetStaticByteField) X(GetStaticCharField) X(GetStaticShortField) X(GetStaticIntField) \
    X(GetStaticLongField) X(GetStaticFloatField) X(GetStaticDoubleField) X(SetStaticObjectField) \
    X(SetStaticBooleanField) X(SetStaticByteField) X(SetStaticCharField) X(SetStaticShortField) \
    X(SetStaticIntField) X(SetStaticLongField) X(SetStaticFloatField) X(SetStaticDoubleField) \
    X(NewString) X(GetStringLength) X(GetStringChars) X(ReleaseStringChars) X(NewStringUTF) \
    X(GetStringUTFLength) X(GetStringUTFChars) X(ReleaseStringUTFChars) X(GetArrayLength) \
    X(NewObjectArray) X(GetObjectArrayElement) X(SetObjectArrayElement) X(NewBooleanArray) \
    X(NewByteArray) X(NewCharArray) X(NewShortArray) X(NewIntArray) X(NewLongArray) \
    X(NewFloatArray) X(NewDoubleArray) X(GetBooleanArrayElements) X(GetByteArrayElements) \
    X(GetCharArrayElements) X(GetShortArrayElements) X(GetIntArrayElements) \
    X(GetLongArrayElements) X(GetFloatArrayElements) X(GetDoubleArrayElements) \
    X(ReleaseBooleanArrayElements) X(ReleaseByteArrayElements) X(ReleaseCharArrayElements) \
    X(ReleaseShortArrayElements) X(ReleaseIntArrayElements) X(ReleaseLongArrayElements) \
    X(ReleaseFloatArrayElements) X(ReleaseDoubleArrayElements) X(GetBooleanArrayRegion) \
    X(GetByteArrayRegion) X(GetCharArrayRegion) X(GetShortArrayRegion) X(GetIntArrayRegion) \
    X(GetLongArrayRegion) X(GetFloatArrayRegion) X(GetDoubleArrayRegion) X(SetBooleanArrayRegion) \
    X(SetByteArrayRegion) X(SetCharArrayRegion) X(SetShortArrayRegion) X(SetIntArrayRegion) \
    X(SetLongArrayRegion) X(SetFloatArrayRegion) X(SetDoubleArrayRegion) X(RegisterNatives) \
    X(UnregisterNatives) X(MonitorEnter) X(MonitorExit) X(GetJavaVM) X(GetStringRegion) \
    X(GetStringUTFRegion) X(GetPrimitiveArrayCritical) X(ReleasePrimitiveArrayCritical) \
    X(GetStringCritical) X(ReleaseStringCritical) X(NewWeakGlobalRef) X(DeleteWeakGlobalRef) \
    X(ExceptionCheck) X(NewDirectByteBuffer) X(GetDirectBufferAddress) X(GetDirectBufferCapacity) \
    X(GetObjectRefType) X(GetModule)
// clang-format on

namespace {

constexpr jint kVersion11 = 0x00010001;
constexpr jint kVersion12 = 0x00010002;
constexpr int kFatalExitCode = 134;  // what a crashing Java runtime's abort() gives on POSIX

// ---------------------------------------------------------------------------------------------
// Text and environment

void PutUtf8(std::string& out, unsigned codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Standard UTF-8 as Java's encoder writes it: an unpaired surrogate becomes '?'.
std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            unsigned low = text[++i];
            PutUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            out += '?';
        } else {
            PutUtf8(out, unit);
        }
    }
    return out;
}

// JNI's modified UTF-8: NUL as two bytes, every UTF-16 unit (surrogates too) on its own.
std::string ModifiedUtf8(const std::wstring& text) {
    std::string out;
    for (wchar_t unit : text) {
        if (unit == 0) {
            out += "\xC0\x80";
        } else {
            PutUtf8(out, unit);
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int size = static_cast<int>(text.size());
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int size = static_cast<int>(text.size());
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

// The record's form of a Java string: printable ASCII as is, everything else as \uXXXX.
std::string Escape(const std::wstring& text) {
    std::string out;
    for (wchar_t unit : text) {
        if (unit == L'\\') {
            out += "\\\\";
        } else if (unit >= 0x20 && unit <= 0x7E) {
            out += static_cast<char>(unit);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
            out += buffer;
        }
    }
    return out;
}

std::string Hex8(jint value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<unsigned>(value));
    return buffer;
}

std::string Dotted(std::string name) {
    for (char& c : name) {
        if (c == '/') c = '.';
    }
    return name;
}

std::optional<std::wstring> EnvVar(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

long EnvNumber(const wchar_t* name, long fallback) {
    auto text = EnvVar(name);
    return text && !text->empty() ? std::wcstol(text->c_str(), nullptr, 10) : fallback;
}

void WriteHandle(HANDLE handle, const std::string& bytes) {
    size_t done = 0;
    while (handle && handle != INVALID_HANDLE_VALUE && done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                       &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

// One line to the record file. Opened and closed per line so that a crash loses nothing, and
// appended atomically so that lines from several threads stay whole.
std::optional<std::string> Property(const char* key);

// The record file, or nothing when no test asked for one.
std::optional<std::wstring> RecordPath() {
    auto path = EnvVar(L"QZ_TEST_RECORD");
    // A service inherits no test's environment: the record file may come as -Dtest.record=.
    if (!path || path->empty()) {
        auto property = Property("test.record");
        if (!property || property->empty()) return std::nullopt;
        path = FromUtf8(*property);
    }
    return path;
}

void Record(const std::string& line) {
    const auto path = RecordPath();
    if (!path) return;
    HANDLE file = CreateFileW(path->c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        WriteHandle(file, line + "\n");
        CloseHandle(file);
    }
}

// A broken JNI rule ends the process the way a real runtime's fatal error does. The message also
// goes to the record, as a GUI launcher may have no standard error to read.
[[noreturn]] void Fatal(const std::string& message) {
    Record("fatal: " + message);
    WriteHandle(GetStdHandle(STD_ERROR_HANDLE), "FATAL ERROR in test runtime: " + message + "\r\n");
    TerminateProcess(GetCurrentProcess(), kFatalExitCode);
    ExitProcess(kFatalExitCode);
}

[[noreturn]] void JniFatal(const char* function, const std::string& what) {
    Fatal(std::string("JNI ") + function + " called " + what);
}

// ---------------------------------------------------------------------------------------------
// Objects: plain C++ objects, never freed (no GC), behind Ref handles

struct Class;

struct Object {
    Class* cls = nullptr;
    virtual ~Object() = default;
};

struct Class : Object {
    std::string name;  // "java/lang/String", "[Ljava/lang/String;", "[C"
    Class* super = nullptr;
    Class* component = nullptr;  // object arrays only
};

struct JString : Object {
    std::wstring text;
};

struct ObjectArray : Object {
    std::vector<Object*> items;
};

struct CharArray : Object {
    std::wstring chars;
};

struct Throwable : Object {
    std::optional<std::wstring> message;
    std::string frame;  // "test.Throws.main(Throws.java)"; empty when thrown by the VM itself
};

struct Stream : Object {
    enum Kind { File, Bytes, Print } kind = File;
    HANDLE handle = nullptr;   // File
    std::string bytes;         // Bytes
    Stream* target = nullptr;  // Print
    bool holdsTrace = false;   // Bytes: a printStackTrace wrote into it
};

// Each handle the launcher gets is its own Ref, so that a deleted reference is caught on use
// even while the object lives on behind other references.
constexpr unsigned kRefMagic = 0x52454631;

struct Ref {
    unsigned magic = kRefMagic;
    Object* object = nullptr;
    bool global = false;
    bool live = true;
};

jobject NewRef(Object* object, bool global = false) {
    if (!object) return nullptr;
    return reinterpret_cast<jobject>(new Ref{kRefMagic, object, global, true});
}

Ref* RefOf(jobject handle, const char* function) {
    auto* ref = reinterpret_cast<Ref*>(handle);
    if (ref->magic != kRefMagic) JniFatal(function, "with an invalid reference");
    if (!ref->live) JniFatal(function, "with a deleted reference");
    return ref;
}

Object* Deref(jobject handle, const char* function) {
    return handle ? RefOf(handle, function)->object : nullptr;
}

// A non-null argument of a given kind; HotSpot crashes on anything else.
template <class T>
T* Need(jobject handle, const char* function, const char* what) {
    auto* object = dynamic_cast<T*>(Deref(handle, function));
    if (!object) {
        JniFatal(function,
                 std::string("with ") + (handle ? "an object that is not " : "null for ") + what);
    }
    return object;
}

// ---------------------------------------------------------------------------------------------
// The VM: one per process, like HotSpot

using ExitHook = void(JNICALL*)(jint code);
using AbortHook = void(JNICALL*)();

struct ThreadEnv : JNIEnv_ {
    DWORD threadId = 0;
    std::string name;
    Throwable* pending = nullptr;
};

struct Vm {
    std::recursive_mutex lock;
    bool created = false;
    bool destroyed = false;
    std::map<std::string, std::string> properties;
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;  // kept like HotSpot; a fatal error here does not call it
    std::map<std::string, Class*> classes;
    Stream* out = nullptr;
    Stream* err = nullptr;
    std::unordered_map<DWORD, ThreadEnv*> attached;
    std::set<const char*> utfChars;      // handed out by GetStringUTFChars, not yet released
    std::set<const jchar*> stringChars;  // the same for GetStringChars
    int threadCounter = 0;
};

Vm& vm = *new Vm;  // never destroyed: no static destructor runs while threads may still call in
DWORD primaryThread = 0;

struct ClassDef {
    const char* name;
    const char* super;
};

const ClassDef kClasses[] = {
    {"java/lang/Object", nullptr},
    {"java/lang/Class", "java/lang/Object"},
    {"java/lang/String", "java/lang/Object"},
    {"java/lang/System", "java/lang/Object"},
    {"java/lang/Throwable", "java/lang/Object"},
    {"java/lang/Exception", "java/lang/Throwable"},
    {"java/lang/RuntimeException", "java/lang/Exception"},
    {"java/lang/IllegalStateException", "java/lang/RuntimeException"},
    {"java/lang/NullPointerException", "java/lang/RuntimeException"},
    {"java/lang/ArrayStoreException", "java/lang/RuntimeException"},
    {"java/lang/NegativeArraySizeException", "java/lang/RuntimeException"},
    {"java/lang/IndexOutOfBoundsException", "java/lang/RuntimeException"},
    {"java/lang/ArrayIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException"},
    {"java/lang/ReflectiveOperationException", "java/lang/Exception"},
    {"java/lang/ClassNotFoundException", "java/lang/ReflectiveOperationException"},
    {"java/lang/Error", "java/lang/Throwable"},
    {"java/lang/LinkageError", "java/lang/Error"},
    {"java/lang/NoClassDefFoundError", "java/lang/LinkageError"},
    {"java/lang/IncompatibleClassChangeError", "java/lang/LinkageError"},
    {"java/lang/NoSuchMethodError", "java/lang/IncompatibleClassChangeError"},
    {"java/lang/NoSuchFieldError", "java/lang/IncompatibleClassChangeError"},
    {"java/io/IOException", "java/lang/Exception"},
    {"java/io/FileNotFoundException", "java/io/IOException"},
    {"java/io/OutputStream", "java/lang/Object"},
    {"java/io/FileOutputStream", "java/io/OutputStream"},
    {"java/io/ByteArrayOutputStream", "java/io/OutputStream"},
    {"java/io/FilterOutputStream", "java/io/OutputStream"},
    {"java/io/PrintStream", "java/io/FilterOutputStream"},
    {"sun/launcher/LauncherHelper", "java/lang/Object"},
    {"demo/Hello", "java/lang/Object"},
    {"com/example/Main", "java/lang/Object"},
    {"test/Echo", "java/lang/Object"},
    {"test/Throws", "java/lang/Object"},
    {"test/Exit", "java/lang/Object"},
    {"test/Wait", "java/lang/Object"},
    {"test/NoMain", "java/lang/Object"},
    {"test/Single", "java/lang/Object"},
    {"test/SingleInt", "java/lang/Object"},
    {"test/InstanceMain", "java/lang/Object"},
    {"test/NoArgMain", "java/lang/Object"},
    {"test/StaticNoArgMain", "java/lang/Object"},
};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsJdkName(const std::string& name) {
    return StartsWith(name, "java/") || StartsWith(name, "javax/") || StartsWith(name, "jdk/") ||
           StartsWith(name, "sun/") || StartsWith(name, "[");
}

// A known class by internal name, with array classes made on first use; no visibility rules.
Class* Loaded(const std::string& name) {
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    auto found = vm.classes.find(name);
    if (found != vm.classes.end()) return found->second;
    Class* component = nullptr;
    if (name.size() > 3 && StartsWith(name, "[L") && name.back() == ';') {
        component = Loaded(name.substr(2, name.size() - 3));
    } else if (name.size() > 1 && name[0] == '[' && name[1] == '[') {
        component = Loaded(name.substr(1));
    }
    if (!component && name != "[C") return nullptr;
    auto* cls = new Class;
    cls->cls = vm.classes.at("java/lang/Class");
    cls->name = name;
    cls->super = vm.classes.at("java/lang/Object");
    cls->component = component;
    vm.classes[name] = cls;
    return cls;
}

Class* ArrayClassOf(Class* element) {
    return Loaded(element->name[0] == '[' ? "[" + element->name : "[L" + element->name + ";");
}

bool IsAssignable(const Class* from, const Class* to) {
    for (const Class* k = from; k; k = k->super) {
        if (k == to) return true;
    }
    return from->component && to->component && IsAssignable(from->component, to->component);
}

bool IsInstance(const Object* object, const Class* cls) { return IsAssignable(object->cls, cls); }

template <class T>
T* Make(const char* className) {
    T* object = new T;
    object->cls = Loaded(className);
    return object;
}

JString* MakeString(const std::wstring& text) {
    auto* string = Make<JString>("java/lang/String");
    string->text = text;
    return string;
}

Stream* MakeStream(const char* className, Stream::Kind kind) {
    auto* stream = Make<Stream>(className);
    stream->kind = kind;
    return stream;
}

// Makes the exception pending; returns null for the natives' "return ThrowJava(...)".
Object* ThrowJava(ThreadEnv* env, const char* className, std::optional<std::wstring> message,
                  std::string frame = {}) {
    auto* throwable = Make<Throwable>(className);
    throwable->message = std::move(message);
    throwable->frame = std::move(frame);
    env->pending = throwable;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Streams and exits

void WriteStream(Stream* stream, const std::string& bytes) {
    while (stream && stream->kind == Stream::Print) stream = stream->target;
    if (!stream) return;
    if (stream->kind == Stream::File) {
        WriteHandle(stream->handle, bytes);
    } else {
        stream->bytes += bytes;
    }
}

void PrintLine(Stream* stream, const std::string& utf8) { WriteStream(stream, utf8 + "\r\n"); }

std::string TraceText(const Throwable* throwable) {
    std::string text = Dotted(throwable->cls->name);
    if (throwable->message) text += ": " + Utf8(*throwable->message);
    text += "\r\n";
    if (!throwable->frame.empty()) text += "\tat " + throwable->frame + "\r\n";
    return text;
}

// What HotSpot's uncaught-exception handling prints: the trace on the current System.err.
void DescribeAndClear(ThreadEnv* env) {
    if (env->pending) {
        WriteStream(vm.err, "Exception in thread \"" + env->name + "\" " + TraceText(env->pending));
        env->pending = nullptr;
    }
}

// System.exit: the launcher's "exit" hook sees the code first, then the process ends.
[[noreturn]] void ExitVm(jint code) {
    if (vm.exitHook) {
        Record("exit-hook: " + std::to_string(code));
        vm.exitHook(code);
    } else {
        Record("exit: " + std::to_string(code) + " (no hook)");
    }
    ExitProcess(static_cast<UINT>(code));
}

std::optional<std::string> Property(const char* key) {
    auto found = vm.properties.find(key);
    if (found == vm.properties.end()) return std::nullopt;
    return found->second;
}

// ---------------------------------------------------------------------------------------------
// The Java it plays: methods by class, name and signature

struct Arg {
    jvalue value;
    Object* object;  // resolved object arguments
};

struct Method;
using Native = Object* (*)(ThreadEnv* env, Object* self, const Arg* args);

struct Method {
    const char* owner;
    const char* name;
    const char* sig;
    bool isStatic;
    Native native;
};

const char* const kMainSig = "([Ljava/lang/String;)V";

Object* StringInit(ThreadEnv* env, Object*, const Arg* args) {
    auto* chars = dynamic_cast<CharArray*>(args[0].object);
    if (!chars) return ThrowJava(env, "java/lang/NullPointerException", std::nullopt);
    return MakeString(chars->chars);
}

Object* FileOutputStreamInit(ThreadEnv* env, Object*, const Arg* args) {
    auto* name = dynamic_cast<JString*>(args[0].object);
    if (!name) return ThrowJava(env, "java/lang/NullPointerException", std::nullopt);
    bool append = args[1].value.z;
    HANDLE file = CreateFileW(name->text.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::wstring reason = L"error " + std::to_wstring(GetLastError());
        ThrowJava(env, "java/io/FileNotFoundException", name->text + L" (" + reason + L")");
        return nullptr;
    }
    Stream* stream = MakeStream("java/io/FileOutputStream", Stream::File);
    stream->handle = file;
    return stream;
}

Object* PrintStreamInit(ThreadEnv* env, Object*, const Arg* args) {
    auto* target = dynamic_cast<Stream*>(args[0].object);
    if (!target) return ThrowJava(env, "java/lang/NullPointerException", L"Null output stream");
    Stream* stream = MakeStream("java/io/PrintStream", Stream::Print);
    stream->target = target;
    return stream;
}

Object* ByteArrayOutputStreamInit(ThreadEnv*, Object*, const Arg*) {
    return MakeStream("java/io/ByteArrayOutputStream", Stream::Bytes);
}

Object* ByteArrayOutputStreamToString(ThreadEnv*, Object* self, const Arg*) {
    auto* stream = static_cast<Stream*>(self);
    JString* text = MakeString(FromUtf8(stream->bytes));
    if (stream->holdsTrace) {
        Record("exception-text: " + std::to_string(text->text.size()) + " chars");
    }
    return text;
}

Object* SystemSetOut(ThreadEnv*, Object*, const Arg* args) {
    vm.out = static_cast<Stream*>(args[0].object);
    return nullptr;
}

Object* SystemSetErr(ThreadEnv*, Object*, const Arg* args) {
    vm.err = static_cast<Stream*>(args[0].object);
    return nullptr;
}

Object* SystemExit(ThreadEnv*, Object*, const Arg* args) { ExitVm(args[0].value.i); }

Object* ThrowablePrintStackTrace(ThreadEnv* env, Object* self, const Arg* args) {
    auto* stream = static_cast<Stream*>(args[0].object);
    if (!stream) return ThrowJava(env, "java/lang/NullPointerException", std::nullopt);
    WriteStream(stream, TraceText(static_cast<Throwable*>(self)));
    for (Stream* s = stream; s; s = s->target) {
        s->holdsTrace = s->holdsTrace || s->kind == Stream::Bytes;
    }
    return nullptr;
}

const Method* FindMethod(const Class* cls, const char* name, const char* sig, bool isStatic);

// The Java feature release this runtime plays (QZ_TEST_JAVA_FEATURE, default 21). From 25 on,
// LauncherHelper accepts the mains of JDK 25 and says which one it found in two static fields.
long JavaFeature() {
    static const long feature = EnvNumber(L"QZ_TEST_JAVA_FEATURE", 21);
    return feature;
}

struct StaticField {
    const char* owner;
    const char* name;
    const char* sig;
    long sinceFeature;
    jboolean value;
};

StaticField staticFields[] = {
    {"sun/launcher/LauncherHelper", "isStaticMain", "Z", 25, JNI_FALSE},
    {"sun/launcher/LauncherHelper", "noArgMain", "Z", 25, JNI_FALSE},
};

void SetStaticField(const char* name, bool value) {
    for (StaticField& field : staticFields) {
        if (std::strcmp(field.name, name) == 0) field.value = value ? JNI_TRUE : JNI_FALSE;
    }
}

// The main that the java command of this feature release picks: before 25 only the static
// main(String[]); from 25 on, main(String[]) before main(), each static or not.
const Method* ValidatedMain(const Class* cls) {
    const bool modern = JavaFeature() >= 25;
    for (const char* sig : {kMainSig, "()V"}) {
        for (bool isStatic : {true, false}) {
            if (!modern && (!isStatic || std::strcmp(sig, kMainSig) != 0)) continue;
            if (const Method* main = FindMethod(cls, "main", sig, isStatic)) return main;
        }
    }
    return nullptr;
}

// LauncherHelper.checkAndLoadMain(printToStderr, mode, name): HotSpot's messages and exit.
Object* CheckAndLoadMain(ThreadEnv* env, Object*, const Arg* args) {
    auto* name = dynamic_cast<JString*>(args[2].object);
    if (!name) return ThrowJava(env, "java/lang/NullPointerException", std::nullopt);
    Record("lookup: LauncherHelper " + Utf8(name->text));
    if (args[1].value.i != 1) {
        Fatal("LauncherHelper.checkAndLoadMain mode " + std::to_string(args[1].value.i) +
              " is not played by the test runtime");
    }
    Stream* out = args[0].value.z ? vm.err : vm.out;
    std::string dotted = Dotted(Utf8(name->text));
    std::string internal = dotted;
    for (char& c : internal) c = c == '.' ? '/' : c;
    Class* cls = internal.empty() || internal[0] == '[' ? nullptr : Loaded(internal);
    if (!cls) {
        PrintLine(out, "Error: Could not find or load main class " + dotted);
        PrintLine(out, "Caused by: java.lang.ClassNotFoundException: " + dotted);
        ExitVm(1);
    }
    const Method* main = ValidatedMain(cls);
    if (!main) {
        PrintLine(out, "Error: Main method not found in class " + dotted +
                           ", please define the main method as:");
        PrintLine(out, "   public static void main(String[] args)");
        PrintLine(out, "or a JavaFX application class must extend javafx.application.Application");
        ExitVm(1);
    }
    SetStaticField("isStaticMain", main->isStatic);
    SetStaticField("noArgMain", std::strcmp(main->sig, "()V") == 0);
    return cls;
}

std::string MainFrame(const char* className) {
    const char* simple = std::strrchr(className, '/');
    return Dotted(className) + ".main(" + (simple ? simple + 1 : className) + ".java)";
}

// Records main's argument and hands it over; a null array fails as it would in Java.
bool MainArgs(ThreadEnv* env, const char* className, const Arg* args,
              std::vector<std::wstring>& out) {
    auto* array = static_cast<ObjectArray*>(args[0].object);
    if (!array) {
        Record("main-args: null");
        ThrowJava(env, "java/lang/NullPointerException", std::nullopt, MainFrame(className));
        return false;
    }
    Record("main-args: " + std::to_string(array->items.size()));
    for (Object* item : array->items) {
        auto* string = static_cast<JString*>(item);
        out.push_back(string ? string->text : L"null");
        Record("arg: " + Escape(out.back()));
    }
    return true;
}

Object* HelloMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "demo/Hello", args, argv)) {
        PrintLine(vm.out, "Hello from Java main");
        for (size_t i = 0; i < argv.size(); ++i) {
            PrintLine(vm.out, "arg[" + std::to_string(i) + "] = " + Utf8(argv[i]));
        }
    }
    return nullptr;
}

// The main class of the release's example configuration.
Object* ExampleMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "com/example/Main", args, argv)) {
        PrintLine(vm.out, "Hello from com.example.Main, args: " + std::to_string(argv.size()));
    }
    return nullptr;
}

Object* EchoMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/Echo", args, argv)) {
        PrintLine(vm.out, "args: " + std::to_string(argv.size()));
        for (const std::wstring& arg : argv) PrintLine(vm.out, Utf8(arg));
        PrintLine(vm.err, "stderr: echo");
    }
    return nullptr;
}

Object* ThrowsMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/Throws", args, argv)) {
        ThrowJava(env, "java/lang/IllegalStateException", L"thrown by main",
                  MainFrame("test/Throws"));
    }
    return nullptr;
}

Object* ExitMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/Exit", args, argv)) {
        auto code = Property("test.exit.code");
        ExitVm(code ? std::atoi(code->c_str()) : 7);
    }
    return nullptr;
}

Object* WaitMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/Wait", args, argv)) {
        auto ms = Property("test.wait.ms");
        Sleep(ms ? static_cast<DWORD>(std::strtoul(ms->c_str(), nullptr, 10)) : INFINITE);
    }
    return nullptr;
}

// An int result of a played method, carried back through the one Invoke path.
struct Boxed : Object {
    jint value = 0;
};

// test/Single and test/SingleInt: main waits until stop() is called (or test.wait.ms passes);
// secondaryMain records what a forwarded launch delivered, then takes test.secondary.ms.
HANDLE StopRequested() {
    static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

DWORD Milliseconds(const char* key, DWORD fallback) {
    auto ms = Property(key);
    return ms ? static_cast<DWORD>(std::strtoul(ms->c_str(), nullptr, 10)) : fallback;
}

Object* SingleMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/Single", args, argv)) {
        WaitForSingleObject(StopRequested(), Milliseconds("test.wait.ms", INFINITE));
        Record("main-return");
        if (auto code = Property("test.exit.code")) ExitVm(std::atoi(code->c_str()));
    }
    return nullptr;
}

void RecordSecondary(const Arg* args) {
    auto* array = static_cast<ObjectArray*>(args[0].object);
    std::string line = "secondary-args:";
    for (Object* item : array ? array->items : std::vector<Object*>{}) {
        auto* string = static_cast<JString*>(item);
        line += " [" + Escape(string ? string->text : L"null") + "]";
    }
    Record(line);
    Sleep(Milliseconds("test.secondary.ms", 0));
    Record("secondary-done");
}

Object* SingleSecondaryMain(ThreadEnv*, Object*, const Arg* args) {
    RecordSecondary(args);
    return nullptr;
}

Object* SingleIntSecondaryMain(ThreadEnv*, Object*, const Arg* args) {
    RecordSecondary(args);
    auto* result = Make<Boxed>("java/lang/Object");
    auto value = Property("test.secondary.result");
    result->value = value ? std::atoi(value->c_str()) : 7;
    return result;
}

Object* SingleStop(ThreadEnv*, Object*, const Arg*) {
    Record("stop-called");
    Sleep(Milliseconds("test.stop.ms", 0));
    SetEvent(StopRequested());
    return nullptr;
}

// test/InstanceMain (an instance main(String[])), test/NoArgMain (an instance main()) and
// test/StaticNoArgMain (a static main()): the mains of JDK 25.
Object* InstanceMainInit(ThreadEnv*, Object*, const Arg*) {
    Record("new: test/InstanceMain");
    return Make<Object>("test/InstanceMain");
}

Object* InstanceMainMain(ThreadEnv* env, Object*, const Arg* args) {
    std::vector<std::wstring> argv;
    if (MainArgs(env, "test/InstanceMain", args, argv)) {
        PrintLine(vm.out, "instance main, args: " + std::to_string(argv.size()));
        for (const std::wstring& arg : argv) PrintLine(vm.out, Utf8(arg));
    }
    return nullptr;
}

Object* NoArgMainInit(ThreadEnv*, Object*, const Arg*) {
    Record("new: test/NoArgMain");
    return Make<Object>("test/NoArgMain");
}

Object* NoArgMainMain(ThreadEnv*, Object*, const Arg*) {
    Record("main-args: none");
    PrintLine(vm.out, "instance main()");
    return nullptr;
}

Object* StaticNoArgMainMain(ThreadEnv*, Object*, const Arg*) {
    Record("main-args: none");
    PrintLine(vm.out, "static main()");
    return nullptr;
}

const Method kMethods[] = {
    {"java/lang/String", "<init>", "([C)V", false, StringInit},
    {"java/io/FileOutputStream", "<init>", "(Ljava/lang/String;Z)V", false, FileOutputStreamInit},
    {"java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false, PrintStreamInit},
    {"java/io/ByteArrayOutputStream", "<init>", "()V", false, ByteArrayOutputStreamInit},
    {"java/io/ByteArrayOutputStream", "toString", "()Ljava/lang/String;", false,
     ByteArrayOutputStreamToString},
    {"java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true, SystemSetOut},
    {"java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true, SystemSetErr},
    {"java/lang/System", "exit", "(I)V", true, SystemExit},
    {"java/lang/Throwable", "printStackTrace", "(Ljava/io/PrintStream;)V", false,
     ThrowablePrintStackTrace},
    {"sun/launcher/LauncherHelper", "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;",
     true, CheckAndLoadMain},
    {"demo/Hello", "main", kMainSig, true, HelloMain},
    {"com/example/Main", "main", kMainSig, true, ExampleMain},
    {"test/Echo", "main", kMainSig, true, EchoMain},
    {"test/Throws", "main", kMainSig, true, ThrowsMain},
    {"test/Exit", "main", kMainSig, true, ExitMain},
    {"test/Wait", "main", kMainSig, true, WaitMain},
    {"test/Single", "main", kMainSig, true, SingleMain},
    {"test/Single", "secondaryMain", kMainSig, true, SingleSecondaryMain},
    {"test/Single", "stop", "()V", true, SingleStop},
    {"test/SingleInt", "main", kMainSig, true, SingleMain},
    {"test/SingleInt", "secondaryMain", "([Ljava/lang/String;)I", true, SingleIntSecondaryMain},
    {"test/InstanceMain", "<init>", "()V", false, InstanceMainInit},
    {"test/InstanceMain", "main", kMainSig, false, InstanceMainMain},
    {"test/NoArgMain", "<init>", "()V", false, NoArgMainInit},
    {"test/NoArgMain", "main", "()V", false, NoArgMainMain},
    {"test/StaticNoArgMain", "main", "()V", true, StaticNoArgMainMain},
};

// Methods are inherited (static ones too, as in HotSpot); constructors are not.
const Method* FindMethod(const Class* cls, const char* name, const char* sig, bool isStatic) {
    bool constructor = std::strcmp(name, "<init>") == 0;
    for (const Class* k = cls; k; k = constructor ? nullptr : k->super) {
        for (const Method& method : kMethods) {
            if (method.isStatic == isStatic && k->name == method.owner &&
                std::strcmp(method.name, name) == 0 && std::strcmp(method.sig, sig) == 0) {
                return &method;
            }
        }
    }
    return nullptr;
}

const Method* MethodOf(jmethodID id, const char* function) {
    auto* method = reinterpret_cast<const Method*>(id);
    if (method < std::begin(kMethods) || method >= std::end(kMethods)) {
        JniFatal(function, "with an invalid method ID");
    }
    return method;
}

// The parameter descriptors of a signature: "Z", "Ljava/lang/String;", "[C", ...
std::vector<std::string> Parameters(const char* sig) {
    std::vector<std::string> params;
    for (const char* p = sig + 1; *p && *p != ')';) {
        const char* start = p;
        while (*p == '[') ++p;
        p = *p == 'L' ? std::strchr(p, ';') + 1 : p + 1;
        params.emplace_back(start, p);
    }
    return params;
}

// ---------------------------------------------------------------------------------------------
// Threads and the JNI rules

JNINativeInterface_ MakeJniTable();
const JNINativeInterface_ jniTable = MakeJniTable();

ThreadEnv* AttachedEnv() {
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    auto found = vm.attached.find(GetCurrentThreadId());
    return found == vm.attached.end() ? nullptr : found->second;
}

ThreadEnv* Attach(std::string name) {
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    auto* env = new ThreadEnv;
    env->functions = &jniTable;
    env->threadId = GetCurrentThreadId();
    env->name = std::move(name);
    vm.attached[env->threadId] = env;
    return env;
}

// Every JNI function starts here: the calling thread must be attached and use its own JNIEnv,
// and only the exception functions may run with an exception pending.
ThreadEnv* Enter(JNIEnv* env, const char* function, bool pendingAllowed = false) {
    ThreadEnv* self = AttachedEnv();
    if (!self) JniFatal(function, "on a thread that is not attached");
    if (self != env) JniFatal(function, "with the JNIEnv of another thread");
    if (!pendingAllowed && self->pending) JniFatal(function, "with a pending exception");
    return self;
}

enum class CallKind { Static, Virtual, Constructor };

// One path for all Call*Method and NewObject variants: checks like checked JNI, then the native.
jobject Invoke(JNIEnv* jni, const char* function, CallKind kind, bool wantsObject, jobject target,
               jmethodID id, va_list* va, const jvalue* values) {
    ThreadEnv* env = Enter(jni, function);
    const Method* method = MethodOf(id, function);
    Class* owner = Loaded(method->owner);
    bool constructor = std::strcmp(method->name, "<init>") == 0;
    if (method->isStatic != (kind == CallKind::Static) ||
        constructor != (kind == CallKind::Constructor)) {
        JniFatal(function, std::string("with the method ID of ") +
                               (method->isStatic ? "static " : "") + method->owner + "." +
                               method->name);
    }
    char result = std::strchr(method->sig, ')')[1];
    if (!constructor && (result != 'V') != wantsObject) {
        JniFatal(function,
                 std::string("for a method returning ") + (wantsObject ? "void" : "a value"));
    }
    Object* self = nullptr;
    if (kind == CallKind::Virtual) {
        self = Need<Object>(target, function, "an object");
        if (!IsInstance(self, owner)) {
            JniFatal(function, "with an object of class " + self->cls->name + " for a method of " +
                                   owner->name);
        }
    } else {
        Class* cls = Need<Class>(target, function, "a class");
        if (constructor ? cls != owner : !IsAssignable(cls, owner)) {
            JniFatal(function, "with class " + cls->name + " for a method of " + owner->name);
        }
    }
    std::vector<std::string> params = Parameters(method->sig);
    std::vector<Arg> args(params.size() + 1, Arg{});
    for (size_t i = 0; i < params.size(); ++i) {
        char type = params[i][0];
        if (values) {
            args[i].value = values[i];
        } else if (type == 'L' || type == '[') {
            args[i].value.l = va_arg(*va, jobject);
        } else if (type == 'J') {
            args[i].value.j = va_arg(*va, jlong);
        } else if (type == 'F' || type == 'D') {
            args[i].value.d = va_arg(*va, double);
        } else {  // promoted to int in varargs
            int value = va_arg(*va, int);
            args[i].value.i = value;
            if (type == 'Z') args[i].value.z = static_cast<jboolean>(value);
        }
        if (type == 'L' || type == '[') {
            args[i].object = Deref(args[i].value.l, function);
            std::string className =
                type == 'L' ? params[i].substr(1, params[i].size() - 2) : params[i];
            if (args[i].object && !IsInstance(args[i].object, Loaded(className))) {
                JniFatal(function, "with an argument of class " + args[i].object->cls->name +
                                       " for a parameter of type " + className);
            }
        }
    }
    Object* returned = method->native(env, self, args.data());
    return env->pending ? nullptr : NewRef(returned);
}

jint IntOf(jobject result) {
    auto* boxed = result ? dynamic_cast<Boxed*>(reinterpret_cast<Ref*>(result)->object) : nullptr;
    return boxed ? boxed->value : 0;
}

#define QZ_CALLS(Name, Target, Result, Kind, WantsObject, Return)                               \
    Result JNICALL Jni##Name(JNIEnv* env, Target target, jmethodID id, ...) {                   \
        va_list va;                                                                             \
        va_start(va, id);                                                                       \
        jobject r = Invoke(env, #Name, Kind, WantsObject, target, id, &va, nullptr);            \
        va_end(va);                                                                             \
        return Return;                                                                          \
    }                                                                                           \
    Result JNICALL Jni##Name##V(JNIEnv* env, Target target, jmethodID id, va_list args) {       \
        va_list va;                                                                             \
        va_copy(va, args);                                                                      \
        jobject r = Invoke(env, #Name "V", Kind, WantsObject, target, id, &va, nullptr);        \
        va_end(va);                                                                             \
        return Return;                                                                          \
    }                                                                                           \
    Result JNICALL Jni##Name##A(JNIEnv* env, Target target, jmethodID id, const jvalue* args) { \
        jobject r = Invoke(env, #Name "A", Kind, WantsObject, target, id, nullptr, args);       \
        return Return;                                                                          \
    }

QZ_CALLS(CallStaticObjectMethod, jclass, jobject, CallKind::Static, true, r)
QZ_CALLS(CallStaticVoidMethod, jclass, void, CallKind::Static, false, (void)r)
QZ_CALLS(CallStaticIntMethod, jclass, jint, CallKind::Static, true, IntOf(r))
QZ_CALLS(CallObjectMethod, jobject, jobject, CallKind::Virtual, true, r)
QZ_CALLS(CallVoidMethod, jobject, void, CallKind::Virtual, false, (void)r)
QZ_CALLS(NewObject, jclass, jobject, CallKind::Constructor, true, r)

// ---------------------------------------------------------------------------------------------
// JNI functions

jint JNICALL JniGetVersion(JNIEnv* env) {
    Enter(env, "GetVersion");
    return JavaFeature() >= 25 ? 0x00180000 : 0x00150000;  // JNI 24 since JDK 24, else JNI 21
}

// FindClass sees the JDK's and the application's classes, but not the launcher helper, which the
// launcher reaches only through the boot loader.
jclass JNICALL JniFindClass(JNIEnv* jni, const char* name) {
    ThreadEnv* env = Enter(jni, "FindClass");
    if (!name) JniFatal("FindClass", "with a null name");
    std::string internal = name;
    if (!IsJdkName(internal)) Record("lookup: FindClass " + internal);
    Class* cls = StartsWith(internal, "sun/launcher/") ? nullptr : Loaded(internal);
    if (!cls) ThrowJava(env, "java/lang/NoClassDefFoundError", FromUtf8(internal));
    return static_cast<jclass>(NewRef(cls));
}

jint JNICALL JniThrow(JNIEnv* jni, jthrowable throwable) {
    ThreadEnv* env = Enter(jni, "Throw");
    env->pending = Need<Throwable>(throwable, "Throw", "a Throwable");
    return JNI_OK;
}

jthrowable JNICALL JniExceptionOccurred(JNIEnv* jni) {
    return static_cast<jthrowable>(NewRef(Enter(jni, "ExceptionOccurred", true)->pending));
}

void JNICALL JniExceptionDescribe(JNIEnv* jni) {
    DescribeAndClear(Enter(jni, "ExceptionDescribe", true));
}

void JNICALL JniExceptionClear(JNIEnv* jni) {
    Enter(jni, "ExceptionClear", true)->pending = nullptr;
}

jboolean JNICALL JniExceptionCheck(JNIEnv* jni) {
    return Enter(jni, "ExceptionCheck", true)->pending ? JNI_TRUE : JNI_FALSE;
}

jobject JNICALL JniNewGlobalRef(JNIEnv* env, jobject object) {
    Enter(env, "NewGlobalRef");
    return NewRef(Deref(object, "NewGlobalRef"), true);
}

void DeleteRef(JNIEnv* env, jobject object, const char* function, bool global) {
    Enter(env, function, true);
    if (object) {
        Ref* ref = RefOf(object, function);
        if (ref->global != global) {
            JniFatal(function, global ? "with a local reference" : "with a global reference");
        }
        ref->live = false;
    }
}

void JNICALL JniDeleteGlobalRef(JNIEnv* env, jobject object) {
    DeleteRef(env, object, "DeleteGlobalRef", true);
}

void JNICALL JniDeleteLocalRef(JNIEnv* env, jobject object) {
    DeleteRef(env, object, "DeleteLocalRef", false);
}

jclass JNICALL JniGetObjectClass(JNIEnv* env, jobject object) {
    Enter(env, "GetObjectClass");
    return static_cast<jclass>(NewRef(Need<Object>(object, "GetObjectClass", "an object")->cls));
}

jmethodID GetMethod(JNIEnv* jni, const char* function, jclass clazz, const char* name,
                    const char* sig, bool isStatic) {
    ThreadEnv* env = Enter(jni, function);
    Class* cls = Need<Class>(clazz, function, "a class");
    if (!name || !sig) JniFatal(function, "with a null name or signature");
    const Method* method = FindMethod(cls, name, sig, isStatic);
    if (!method) ThrowJava(env, "java/lang/NoSuchMethodError", FromUtf8(name));
    return reinterpret_cast<jmethodID>(const_cast<Method*>(method));
}

jmethodID JNICALL JniGetMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    return GetMethod(env, "GetMethodID", cls, name, sig, false);
}

jmethodID JNICALL JniGetStaticMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    return GetMethod(env, "GetStaticMethodID", cls, name, sig, true);
}

jfieldID JNICALL JniGetStaticFieldID(JNIEnv* jni, jclass clazz, const char* name, const char* sig) {
    ThreadEnv* env = Enter(jni, "GetStaticFieldID");
    Class* cls = Need<Class>(clazz, "GetStaticFieldID", "a class");
    if (!name || !sig) JniFatal("GetStaticFieldID", "with a null name or signature");
    for (StaticField& field : staticFields) {
        if (cls->name == field.owner && std::strcmp(field.name, name) == 0 &&
            std::strcmp(field.sig, sig) == 0 && JavaFeature() >= field.sinceFeature) {
            return reinterpret_cast<jfieldID>(&field);
        }
    }
    ThrowJava(env, "java/lang/NoSuchFieldError", FromUtf8(name));
    return nullptr;
}

jboolean JNICALL JniGetStaticBooleanField(JNIEnv* jni, jclass clazz, jfieldID id) {
    Enter(jni, "GetStaticBooleanField");
    Class* cls = Need<Class>(clazz, "GetStaticBooleanField", "a class");
    auto* field = reinterpret_cast<StaticField*>(id);
    if (field < std::begin(staticFields) || field >= std::end(staticFields)) {
        JniFatal("GetStaticBooleanField", "with an invalid field ID");
    }
    if (cls->name != field->owner || std::strcmp(field->sig, "Z") != 0) {
        JniFatal("GetStaticBooleanField", std::string("with the field ID of ") + field->name +
                                              " for class " + cls->name);
    }
    return field->value;
}

jstring JNICALL JniNewString(JNIEnv* env, const jchar* chars, jsize length) {
    Enter(env, "NewString");
    if (length < 0 || (!chars && length > 0)) JniFatal("NewString", "with invalid characters");
    return static_cast<jstring>(NewRef(MakeString(
        std::wstring(reinterpret_cast<const wchar_t*>(chars), static_cast<size_t>(length)))));
}

jsize JNICALL JniGetStringLength(JNIEnv* env, jstring string) {
    Enter(env, "GetStringLength");
    return static_cast<jsize>(Need<JString>(string, "GetStringLength", "a String")->text.size());
}

const jchar* JNICALL JniGetStringChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    Enter(env, "GetStringChars");
    const std::wstring& text = Need<JString>(string, "GetStringChars", "a String")->text;
    auto* chars = new jchar[text.size() + 1];
    std::memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(jchar));
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    vm.stringChars.insert(chars);
    if (isCopy) *isCopy = JNI_TRUE;
    return chars;
}

void JNICALL JniReleaseStringChars(JNIEnv* env, jstring string, const jchar* chars) {
    Enter(env, "ReleaseStringChars", true);
    Need<JString>(string, "ReleaseStringChars", "a String");
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (vm.stringChars.erase(chars) == 0) {
        JniFatal("ReleaseStringChars", "with characters it did not hand out");
    }
    delete[] chars;
}

const char* JNICALL JniGetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    Enter(env, "GetStringUTFChars");
    std::string utf = ModifiedUtf8(Need<JString>(string, "GetStringUTFChars", "a String")->text);
    auto* chars = new char[utf.size() + 1];
    std::memcpy(chars, utf.c_str(), utf.size() + 1);
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    vm.utfChars.insert(chars);
    if (isCopy) *isCopy = JNI_TRUE;
    return chars;
}

void JNICALL JniReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    Enter(env, "ReleaseStringUTFChars", true);
    Need<JString>(string, "ReleaseStringUTFChars", "a String");
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (vm.utfChars.erase(chars) == 0) {
        JniFatal("ReleaseStringUTFChars", "with characters it did not hand out");
    }
    delete[] chars;
}

jsize JNICALL JniGetArrayLength(JNIEnv* env, jarray array) {
    Enter(env, "GetArrayLength");
    Object* object = Deref(array, "GetArrayLength");
    if (auto* objects = dynamic_cast<ObjectArray*>(object)) {
        return static_cast<jsize>(objects->items.size());
    }
    return static_cast<jsize>(Need<CharArray>(array, "GetArrayLength", "an array")->chars.size());
}

jobjectArray JNICALL JniNewObjectArray(JNIEnv* jni, jsize length, jclass element, jobject init) {
    ThreadEnv* env = Enter(jni, "NewObjectArray");
    Class* cls = Need<Class>(element, "NewObjectArray", "a class");
    Object* initial = Deref(init, "NewObjectArray");
    if (length < 0) {
        ThrowJava(env, "java/lang/NegativeArraySizeException", std::to_wstring(length));
        return nullptr;
    }
    if (initial && !IsInstance(initial, cls)) {
        JniFatal("NewObjectArray", "with an initial element of class " + initial->cls->name);
    }
    auto* array = new ObjectArray;
    array->cls = ArrayClassOf(cls);
    array->items.assign(static_cast<size_t>(length), initial);
    return static_cast<jobjectArray>(NewRef(array));
}

// Java's message for an index outside the array; false (and the exception pending) then.
bool CheckIndex(ThreadEnv* env, jsize index, size_t length) {
    if (index >= 0 && static_cast<size_t>(index) < length) return true;
    ThrowJava(env, "java/lang/ArrayIndexOutOfBoundsException",
              L"Index " + std::to_wstring(index) + L" out of bounds for length " +
                  std::to_wstring(length));
    return false;
}

jobject JNICALL JniGetObjectArrayElement(JNIEnv* jni, jobjectArray array, jsize index) {
    ThreadEnv* env = Enter(jni, "GetObjectArrayElement");
    auto* objects = Need<ObjectArray>(array, "GetObjectArrayElement", "an object array");
    return CheckIndex(env, index, objects->items.size())
               ? NewRef(objects->items[static_cast<size_t>(index)])
               : nullptr;
}

void JNICALL JniSetObjectArrayElement(JNIEnv* jni, jobjectArray array, jsize index, jobject value) {
    ThreadEnv* env = Enter(jni, "SetObjectArrayElement");
    auto* objects = Need<ObjectArray>(array, "SetObjectArrayElement", "an object array");
    Object* object = Deref(value, "SetObjectArrayElement");
    if (!CheckIndex(env, index, objects->items.size())) return;
    if (object && !IsInstance(object, objects->cls->component)) {
        ThrowJava(env, "java/lang/ArrayStoreException", FromUtf8(Dotted(object->cls->name)));
        return;
    }
    objects->items[static_cast<size_t>(index)] = object;
}

jcharArray JNICALL JniNewCharArray(JNIEnv* jni, jsize length) {
    ThreadEnv* env = Enter(jni, "NewCharArray");
    if (length < 0) {
        ThrowJava(env, "java/lang/NegativeArraySizeException", std::to_wstring(length));
        return nullptr;
    }
    auto* array = Make<CharArray>("[C");
    array->chars.assign(static_cast<size_t>(length), L'\0');
    return static_cast<jcharArray>(NewRef(array));
}

void JNICALL JniSetCharArrayRegion(JNIEnv* jni, jcharArray array, jsize start, jsize length,
                                   const jchar* buffer) {
    ThreadEnv* env = Enter(jni, "SetCharArrayRegion");
    std::wstring& chars = Need<CharArray>(array, "SetCharArrayRegion", "a char array")->chars;
    if (start < 0 || length < 0 ||
        static_cast<size_t>(start) + static_cast<size_t>(length) > chars.size()) {
        ThrowJava(env, "java/lang/ArrayIndexOutOfBoundsException",
                  L"Array region " + std::to_wstring(start) + L".." +
                      std::to_wstring(static_cast<long long>(start) + length) +
                      L" out of bounds for length " + std::to_wstring(chars.size()));
        return;
    }
    if (length > 0 && !buffer) JniFatal("SetCharArrayRegion", "with a null buffer");
    std::memcpy(&chars[static_cast<size_t>(start)], buffer,
                static_cast<size_t>(length) * sizeof(jchar));
}

// Unimplemented slots: named traps that end the process. They never return, so the x86 stdcall
// stack cleanup a real entry would owe its caller does not matter.
#define QZ_TRAP(Name) \
    [[noreturn]] void JNICALL Trap##Name() { Fatal("unimplemented JNI function " #Name); }
QZ_JNI_FUNCTIONS(QZ_TRAP)
#undef QZ_TRAP

#define QZ_COUNT(Name) +1
static_assert(sizeof(JNINativeInterface_) == (4 QZ_JNI_FUNCTIONS(QZ_COUNT)) * sizeof(void*),
              "QZ_JNI_FUNCTIONS must name every slot of jni.h's function table");
#undef QZ_COUNT

JNINativeInterface_ MakeJniTable() {
    JNINativeInterface_ table{};
#define QZ_SET_TRAP(Name) table.Name = reinterpret_cast<decltype(table.Name)>(&Trap##Name);
    QZ_JNI_FUNCTIONS(QZ_SET_TRAP)
#undef QZ_SET_TRAP
// clang-format off
#define QZ_SET(Name) table.Name = &Jni##Name;
#define QZ_SET_CALLS(Name) QZ_SET(Name) QZ_SET(Name##V) QZ_SET(Name##A)
    QZ_SET(GetVersion) QZ_SET(FindClass) QZ_SET(Throw) QZ_SET(ExceptionOccurred)
    QZ_SET(ExceptionDescribe) QZ_SET(ExceptionClear) QZ_SET(ExceptionCheck) QZ_SET(NewGlobalRef)
    QZ_SET(DeleteGlobalRef) QZ_SET(DeleteLocalRef) QZ_SET(GetObjectClass) QZ_SET(GetMethodID)
    QZ_SET(GetStaticMethodID) QZ_SET(GetStaticFieldID) QZ_SET(GetStaticBooleanField) QZ_SET(NewString) QZ_SET(GetStringLength) QZ_SET(GetStringChars)
    QZ_SET(ReleaseStringChars) QZ_SET(GetStringUTFChars) QZ_SET(ReleaseStringUTFChars)
    QZ_SET(GetArrayLength) QZ_SET(NewObjectArray) QZ_SET(GetObjectArrayElement)
    QZ_SET(SetObjectArrayElement) QZ_SET(NewCharArray) QZ_SET(SetCharArrayRegion)
    QZ_SET_CALLS(CallStaticObjectMethod) QZ_SET_CALLS(CallStaticVoidMethod)
    QZ_SET_CALLS(CallStaticIntMethod)
    QZ_SET_CALLS(CallObjectMethod) QZ_SET_CALLS(CallVoidMethod) QZ_SET_CALLS(NewObject)
#undef QZ_SET_CALLS
#undef QZ_SET
    return table;
}
// clang-format on

// ---------------------------------------------------------------------------------------------
// The invocation interface

JavaVM_ javaVm;

bool IsSupportedVersion(jint version) {
    static const jint kVersions[] = {0x00010002, 0x00010004, 0x00010006, 0x00010008, 0x00090000,
                                     0x000a0000, 0x00130000, 0x00140000, 0x00150000};
    return std::find(std::begin(kVersions), std::end(kVersions), version) != std::end(kVersions);
}

void CheckVm(JavaVM* jvm, const char* function) {
    if (jvm != &javaVm) Fatal(std::string("JNI ") + function + " called with an unknown JavaVM");
}

jint JNICALL JniDestroyJavaVM(JavaVM* jvm) {
    CheckVm(jvm, "DestroyJavaVM");
    // test.linger.ms: a non-daemon thread of the program that outlives main, until stop().
    if (DWORD linger = Milliseconds("test.linger.ms", 0)) {
        WaitForSingleObject(StopRequested(), linger);
        Record("program-threads-ended");
    }
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    jint result = vm.created && !vm.destroyed ? JNI_OK : JNI_ERR;
    if (result == JNI_OK) {
        vm.destroyed = true;
        vm.attached.clear();
    }
    Record("destroy: " + std::to_string(result));
    return result;
}

jint AttachThread(JavaVM* jvm, void** penv, void* args, const char* function) {
    CheckVm(jvm, function);
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (!vm.created || vm.destroyed) return JNI_ERR;
    auto* attachArgs = static_cast<JavaVMAttachArgs*>(args);
    if (attachArgs && !IsSupportedVersion(attachArgs->version)) return JNI_EVERSION;
    ThreadEnv* env = AttachedEnv();
    if (!env) {
        env =
            Attach(attachArgs && attachArgs->name ? attachArgs->name
                                                  : "Thread-" + std::to_string(vm.threadCounter++));
    }
    *penv = static_cast<JNIEnv*>(env);
    return JNI_OK;
}

jint JNICALL JniAttachCurrentThread(JavaVM* jvm, void** penv, void* args) {
    return AttachThread(jvm, penv, args, "AttachCurrentThread");
}

jint JNICALL JniAttachCurrentThreadAsDaemon(JavaVM* jvm, void** penv, void* args) {
    return AttachThread(jvm, penv, args, "AttachCurrentThreadAsDaemon");
}

// A pending exception is reported as Java's uncaught-exception handler would, then cleared.
jint JNICALL JniDetachCurrentThread(JavaVM* jvm) {
    CheckVm(jvm, "DetachCurrentThread");
    ThreadEnv* env = AttachedEnv();
    if (env) {
        DescribeAndClear(env);
        std::lock_guard<std::recursive_mutex> guard(vm.lock);
        if (!vm.utfChars.empty()) {
            Record("leak: " + std::to_string(vm.utfChars.size()) + " UTF strings");
        }
        if (!vm.stringChars.empty()) {
            Record("leak: " + std::to_string(vm.stringChars.size()) + " UTF-16 strings");
        }
        vm.attached.erase(env->threadId);
    }
    Record("detach: " + std::to_string(JNI_OK));
    return JNI_OK;
}

jint JNICALL JniGetEnv(JavaVM* jvm, void** penv, jint version) {
    CheckVm(jvm, "GetEnv");
    ThreadEnv* env = AttachedEnv();
    if (!env) {
        *penv = nullptr;
        return JNI_EDETACHED;
    }
    if (!IsSupportedVersion(version) && version != kVersion11) {
        *penv = nullptr;
        return JNI_EVERSION;
    }
    *penv = static_cast<JNIEnv*>(env);
    return JNI_OK;
}

// clang-format off
const JNIInvokeInterface_ invokeTable = {
    nullptr, nullptr, nullptr, JniDestroyJavaVM, JniAttachCurrentThread, JniDetachCurrentThread,
    JniGetEnv, JniAttachCurrentThreadAsDaemon};
// clang-format on

// ---------------------------------------------------------------------------------------------
// Creating the VM

void AddProperty(const std::string& option) {
    size_t equals = option.find('=');
    vm.properties[option.substr(2, equals == std::string::npos ? std::string::npos : equals - 2)] =
        equals == std::string::npos ? std::string() : option.substr(equals + 1);
}

// What HotSpot takes as a VM option; anything else fails creation unless ignoreUnrecognized.
bool IsRecognizedOption(const std::string& option) {
    // clang-format off
    static const char* const kPrefixes[] = {
        "-D", "-X", "-verbose", "-ea", "-da", "-esa", "-dsa", "-enableassertions",
        "-disableassertions", "-enablesystemassertions", "-disablesystemassertions",
        "-javaagent:", "-agentlib:", "-agentpath:", "--"};
    // clang-format on
    for (const char* prefix : kPrefixes) {
        if (StartsWith(option, prefix)) return true;
    }
    return option == "exit" || option == "abort" || option == "vfprintf";
}

// The calling thread's stack reservation: from the TIB's stack base down to the allocation base.
// (GCC 12 takes the TEB read through the segment register for an out-of-bounds array access.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
size_t StackReserve() {
    auto* tib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(&info, &info, sizeof info);
    return static_cast<size_t>(static_cast<char*>(tib->StackBase) -
                               static_cast<char*>(info.AllocationBase));
}
#pragma GCC diagnostic pop

void RecordCreation(const JavaVMInitArgs* init) {
    // Without a record, the options (a class path may run to megabytes) are not converted at all.
    if (!RecordPath()) return;
    Record("create: version=" + Hex8(init->version) +
           " ignoreUnrecognized=" + (init->ignoreUnrecognized ? "true" : "false") +
           " options=" + std::to_string(init->nOptions));
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        // Option texts arrive in the ANSI code page, as a real VM reads them.
        Record(std::string("option: ") +
               (option.optionString ? Utf8(FromAnsi(option.optionString)) : "(null)") +
               (option.extraInfo ? " [hook]" : ""));
    }
    Record(std::string("create-thread: ") +
           (GetCurrentThreadId() == primaryThread ? "primary" : "other"));
    Record("stack-reserve: " + std::to_string(StackReserve()));
    for (const wchar_t* name : {L"QZ_JVM_PATH", L"QZ_JVM_HOME", L"QZ_PAIR_HANDOVER", L"Path"}) {
        if (auto value = EnvVar(name)) Record("env: " + Utf8(name) + "=" + Utf8(*value));
    }
}

[[maybe_unused]] jint CreateVm(const JavaVMInitArgs* init, JavaVM** pvm, void** penv) {
    RecordCreation(init);
    long delay = EnvNumber(L"QZ_TEST_CREATE_DELAY_MS", 0);
    const std::string delayOption = "-Dtest.create.delay.ms=";
    for (jint i = 0; i < init->nOptions; ++i) {
        const char* text = init->options[i].optionString;
        if (text && StartsWith(text, delayOption.c_str())) delay = std::atol(text + delayOption.size());
    }
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
    if (long forced = EnvNumber(L"QZ_TEST_CREATE_RESULT", 0)) return static_cast<jint>(forced);
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (vm.created) {
        return vm.destroyed ? JNI_ERR : JNI_EEXIST;  // HotSpot cannot create a second VM either
    }
    if (!IsSupportedVersion(init->version)) return JNI_EVERSION;
    for (jint i = 0; i < init->nOptions; ++i) {
        const char* text = init->options[i].optionString;
        if (!init->ignoreUnrecognized && !IsRecognizedOption(text ? text : "")) {
            Record(std::string("error: Unrecognized option: ") + (text ? text : ""));
            WriteHandle(GetStdHandle(STD_ERROR_HANDLE),
                        std::string("Unrecognized option: ") + (text ? text : "") + "\r\n");
            return JNI_ERR;
        }
    }
    // Environment options first, so that the launcher's own options win.
    if (auto javaOptions = EnvVar(L"QZ_TEST_JAVA_OPTIONS")) {
        std::string text = Utf8(*javaOptions) + " ";
        for (size_t start = 0, end; (end = text.find(' ', start)) != std::string::npos;
             start = end + 1) {
            if (StartsWith(text.substr(start, end - start), "-D")) {
                AddProperty(text.substr(start, end - start));
            }
        }
    }
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        std::string text = option.optionString ? option.optionString : "";
        if (StartsWith(text, "-D")) {
            AddProperty(text);
        } else if (text == "exit") {
            vm.exitHook = reinterpret_cast<ExitHook>(option.extraInfo);
        } else if (text == "abort") {
            vm.abortHook = reinterpret_cast<AbortHook>(option.extraInfo);
        }
    }
    auto* classClass = new Class;
    classClass->name = "java/lang/Class";
    vm.classes[classClass->name] = classClass;
    for (const ClassDef& def : kClasses) {
        Class*& cls = vm.classes[def.name];
        if (!cls) {
            cls = new Class;
            cls->name = def.name;
        }
        cls->cls = classClass;
        cls->super = def.super ? vm.classes.at(def.super) : nullptr;
    }
    // System.out and System.err start on the process's standard handles of this moment.
    vm.out = MakeStream("java/io/PrintStream", Stream::Print);
    vm.out->target = MakeStream("java/io/FileOutputStream", Stream::File);
    vm.out->target->handle = GetStdHandle(STD_OUTPUT_HANDLE);
    vm.err = MakeStream("java/io/PrintStream", Stream::Print);
    vm.err->target = MakeStream("java/io/FileOutputStream", Stream::File);
    vm.err->target->handle = GetStdHandle(STD_ERROR_HANDLE);
    vm.created = true;
    javaVm.functions = &invokeTable;
    *pvm = &javaVm;
    *penv = static_cast<JNIEnv*>(Attach("main"));
    return JNI_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Exports

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    // Unloaded while the process goes on (FreeLibrary), as opposed to the process ending.
    if (reason == DLL_PROCESS_DETACH && !reserved) Record("unloaded");
    if (reason == DLL_PROCESS_ATTACH) {
        // The launcher loads the runtime on its first thread; creation compares against it.
        primaryThread = GetCurrentThreadId();
        std::wstring path(32768, L'\0');
        path.resize(GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size())));
        Record("library: " + Utf8(path));
    }
    return TRUE;
}

// The JDK 1.1 block answers with the default Java thread stack size, as HotSpot does; like
// HotSpot it still reports the version as unsupported.
extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    struct Jdk11InitArgs {
        jint version;
        char** properties;
        jint checkSource;
        jint nativeStackSize;
        jint javaStackSize;
    };
    if (!args) Fatal("JNI_GetDefaultJavaVMInitArgs called without arguments");
    auto* block = static_cast<Jdk11InitArgs*>(args);
    Record("default-args: version=" + Hex8(block->version));
    if (block->version == kVersion11) {
        block->javaStackSize = static_cast<jint>(EnvNumber(L"QZ_TEST_STACK_SIZE", 1048576));
        block->version = kVersion12;
        return JNI_ERR;
    }
    return IsSupportedVersion(block->version) ? JNI_OK : JNI_ERR;
}

#ifndef QZ_TEST_NO_CREATE
extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
    if (!pvm || !penv || !args) Fatal("JNI_CreateJavaVM called without arguments");
    return CreateVm(static_cast<const JavaVMInitArgs*>(args), pvm, penv);
}
#endif

#ifndef QZ_TEST_NO_BOOT_LOADER
// HotSpot's entry for the launcher: classes of the boot loader only, null (no exception) for
// anything else.
extern "C" JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* jni, const char* name) {
    Enter(jni, "JVM_FindClassFromBootLoader");
    if (!name) JniFatal("JVM_FindClassFromBootLoader", "with a null name");
    std::string internal = name;
    Class* cls = IsJdkName(internal) ? Loaded(internal) : nullptr;
    return static_cast<jclass>(NewRef(cls));
}
#endif
