// The test runtime: a jvm.dll that stands in for a Windows Java runtime when the launcher's tests
// run under Wine. It plays Java with a handful of known classes (it is not a JVM), records what
// the launcher did to the file named by QZ_TEST_RECORD, and enforces the JNI rules a real VM
// enforces, so that a launcher bug fails here instead of passing. It implements the JNI functions
// the launcher calls; every other one ends the process as a broken rule does.
//
// Variants from this one source: QZ_TEST_NO_BOOT_LOADER leaves out JVM_FindClassFromBootLoader,
// QZ_TEST_NO_CREATE leaves out JNI_CreateJavaVM.
#define _JNI_IMPLEMENTATION_  // jni.h then declares the invocation functions dllexport
#include <jni.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../common/utf8_win.h"

namespace {

constexpr int kFatalExitCode = 134;  // what a crashing Java runtime's abort() gives on POSIX

// ---------------------------------------------------------------------------------------------
// Text, environment and the record

// Text in a code page to UTF-16.
std::wstring Wide(const std::string& text, UINT codePage = CP_UTF8) {
    const int size = static_cast<int>(text.size());
    std::wstring out(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

// The record's form of a Java string: printable ASCII as is, everything else as \uXXXX.
std::string Escape(const std::wstring& text) {
    std::string out;
    for (wchar_t unit : text) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, unit >= 0x20 && unit <= 0x7E ? "%c" : "\\u%04X",
                      static_cast<unsigned>(unit));
        out += unit == L'\\' ? "\\\\" : buffer;
    }
    return out;
}

std::string Replaced(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::wstring EnvVar(const wchar_t* name) {  // empty when not set
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

long EnvNumber(const wchar_t* name, long fallback) {
    std::wstring text = EnvVar(name);
    return text.empty() ? fallback : std::wcstol(text.c_str(), nullptr, 10);
}

void WriteHandle(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct Object;
struct ThreadEnv;
using ExitHook = void(JNICALL*)(jint code);

// The VM: one per process, like HotSpot. Never destroyed: no static destructor runs while
// threads may still call in.
struct Vm {
    std::recursive_mutex lock;  // guards the state below
    bool created = false;
    std::atomic<bool> destroyed = false;  // read by threads that have no lock
    std::map<std::string, std::string> properties;  // -D
    ExitHook exitHook = nullptr;
    std::map<std::string, Object*> classes;
    Object* out = nullptr;  // System.out and System.err: PrintStreams
    Object* err = nullptr;
    std::set<const char*> utfChars;  // handed out by GetStringUTFChars, not yet released
    int threadCounter = 0;
    jboolean isStaticMain = JNI_FALSE;  // LauncherHelper's field, set by checkAndLoadMain
};

Vm& vm = *new Vm;
DWORD primaryThread = 0;

std::string Property(const char* key) {  // empty when not set
    auto found = vm.properties.find(key);
    return found == vm.properties.end() ? "" : found->second;
}

DWORD Number(const char* key, DWORD fallback) {
    std::string text = Property(key);
    return text.empty() ? fallback : std::strtoul(text.c_str(), nullptr, 10);
}

// The record file, or nothing when no test asked for one. A service inherits no test's
// environment: the record file may come as -Dtest.record=.
std::wstring RecordPath() {
    std::wstring path = EnvVar(L"QZ_TEST_RECORD");
    return path.empty() ? Wide(Property("test.record")) : path;
}

// One line to the record file. Opened and closed per line so that a crash loses nothing, and
// appended atomically so that lines from several threads stay whole.
void Record(const std::string& line) {
    const std::wstring path = RecordPath();
    if (path.empty()) return;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
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

thread_local const char* jniFunction = "";  // the JNI function this thread is in, for messages

[[noreturn]] void JniFatal(const std::string& what) {
    Fatal(std::string("JNI ") + jniFunction + " called " + what);
}

// ---------------------------------------------------------------------------------------------
// Objects: never freed (no GC), behind Ref handles. One kind of object holds what any of the
// played classes needs, classes included.

struct Object {
    Object* cls = nullptr;
    std::wstring text;            // String, char[], a Throwable's message
    std::vector<Object*> items;   // Object[]
    HANDLE handle = nullptr;      // FileOutputStream; System.out's and .err's first PrintStreams
    std::string bytes;            // ByteArrayOutputStream
    Object* target = nullptr;     // PrintStream
    jint value = 0;               // the result of a played int method
    std::string name;             // Class: "java/lang/String", "[Ljava/lang/String;", "[C"
    Object* super = nullptr;      // Class
    Object* component = nullptr;  // Class of object arrays
};

// The classes there are, with their superclass (none: java/lang/Object). Exceptions extend
// Throwable and streams OutputStream directly: nothing here tells the levels between apart.
// clang-format off
const char* const kClasses[][2] = {
    {"java/lang/Object", nullptr}, {"java/lang/Class"}, {"java/lang/String"}, {"java/lang/System"},
    {"java/lang/Throwable"}, {"java/lang/IllegalStateException", "java/lang/Throwable"},
    {"java/lang/NoClassDefFoundError", "java/lang/Throwable"},
    {"java/lang/NoSuchMethodError", "java/lang/Throwable"},
    {"java/lang/NoSuchFieldError", "java/lang/Throwable"},
    {"java/io/FileNotFoundException", "java/lang/Throwable"}, {"java/io/OutputStream"},
    {"java/io/FileOutputStream", "java/io/OutputStream"},
    {"java/io/ByteArrayOutputStream", "java/io/OutputStream"},
    {"java/io/PrintStream", "java/io/OutputStream"}, {"sun/launcher/LauncherHelper"},
    {"demo/Hello"}, {"com/example/Main"}, {"test/Echo"}, {"test/Throws"}, {"test/Exit"},
    {"test/NoMain"}, {"test/Single"}, {"test/SingleInt"}, {"test/InstanceMain"},
};
// clang-format on

// A known class by internal name; array classes of known classes and char[] too. The class goes
// into the table before its super and class are looked up, which may come back to it.
Object* Loaded(const std::string& name) {
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (auto found = vm.classes.find(name); found != vm.classes.end()) return found->second;
    bool objectArray = StartsWith(name, "[L") && name.back() == ';';
    Object* component = objectArray ? Loaded(name.substr(2, name.size() - 3)) : nullptr;
    auto row = std::find_if(std::begin(kClasses), std::end(kClasses),
                            [&](const auto& known) { return name == known[0]; });
    if (!component && row == std::end(kClasses) && name != "[C") return nullptr;
    Object* cls = vm.classes[name] = new Object;
    cls->name = name;
    cls->component = component;
    const char* super = row != std::end(kClasses) && row[0][1] ? row[0][1] : "java/lang/Object";
    if (name != "java/lang/Object") cls->super = Loaded(super);
    cls->cls = Loaded("java/lang/Class");
    return cls;
}

bool IsAssignable(const Object* from, const Object* to) {
    for (const Object* k = from; k; k = k->super)
        if (k == to) return true;
    return from->component && to->component && IsAssignable(from->component, to->component);
}

Object* Make(const std::string& className, std::wstring text = {}) {
    auto* object = new Object;
    object->cls = Loaded(className);
    object->text = std::move(text);
    return object;
}

// Each handle the launcher gets is its own Ref, so that a deleted reference is caught on use even
// while the object lives on behind other references. The launcher makes no global references, and
// a local one is valid only on the thread that got it.
constexpr unsigned kRefMagic = 0x52454631;

struct Ref {
    unsigned magic = kRefMagic;
    Object* object = nullptr;
    DWORD thread = 0;
    bool live = true;
};

jobject NewRef(Object* object) {
    if (!object) return nullptr;
    return reinterpret_cast<jobject>(new Ref{kRefMagic, object, GetCurrentThreadId(), true});
}

Ref* RefOf(jobject handle) {
    auto* ref = reinterpret_cast<Ref*>(handle);
    if (ref->magic != kRefMagic) JniFatal("with an invalid reference");
    if (!ref->live) JniFatal("with a deleted reference");
    if (ref->thread != GetCurrentThreadId()) JniFatal("with a reference of another thread");
    return ref;
}

Object* Deref(jobject handle) { return handle ? RefOf(handle)->object : nullptr; }

// A non-null object of a class (or its subclasses); HotSpot crashes on anything else.
Object* Need(jobject handle, const std::string& className) {
    Object* object = Deref(handle);
    if (!object || !IsAssignable(object->cls, Loaded(className)))
        JniFatal("with " + (object ? "an object of " + object->cls->name : "null") + " for a " +
                 className);
    return object;
}

// ---------------------------------------------------------------------------------------------
// Threads, exceptions, streams and exits

struct ThreadEnv : JNIEnv_ {
    std::string name;
    Object* pending = nullptr;  // a Throwable
};

// Makes the exception pending; null for "return Throw(...)".
Object* Throw(ThreadEnv* env, const char* className, std::wstring message) {
    env->pending = Make(className, std::move(message));
    return nullptr;
}

// Through PrintStreams to a handle (a FileOutputStream's or a standard one) or a
// ByteArrayOutputStream.
void WriteStream(Object* stream, const std::string& bytes) {
    while (stream->target) stream = stream->target;
    if (stream->handle)
        WriteHandle(stream->handle, bytes);
    else
        stream->bytes += bytes;
}

std::string TraceText(const Object* throwable) {
    return Replaced(throwable->cls->name, '/', '.') + ": " + Utf8(throwable->text) + "\r\n";
}

// What HotSpot's uncaught-exception handling prints: the trace on the current System.err.
void DescribeAndClear(ThreadEnv* env) {
    if (env->pending) {
        WriteStream(vm.err, "Exception in thread \"" + env->name + "\" " + TraceText(env->pending));
        env->pending = nullptr;
    }
}

// System.exit: the launcher's "exit" hook sees the code first, then the process ends.
[[noreturn]] void ExitVm(DWORD code) {
    if (vm.exitHook) {
        Record("exit-hook: " + std::to_string(static_cast<jint>(code)));
        vm.exitHook(static_cast<jint>(code));
    }
    ExitProcess(code);
}

const HANDLE stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);

// The Java feature release this runtime plays (QZ_TEST_JAVA_FEATURE, default 21). From 25 on,
// LauncherHelper has the static fields isStaticMain and noArgMain, and accepts an instance main.
const long javaFeature = EnvNumber(L"QZ_TEST_JAVA_FEATURE", 21);

// ---------------------------------------------------------------------------------------------
// The Java it plays: methods and fields by class, name and signature. The JDK's methods are
// natives; the test programs are scripts: what they print, then what they do.

enum Then { kReturn, kThrow, kExit, kAwaitStop, kSecondary, kStop };

struct Arg {
    jvalue value;
    Object* object;  // object arguments, checked against the signature
};

struct Method;
using Native = Object* (*)(ThreadEnv* env, const Method& method, Object* self, const Arg* args);

struct Method {
    const char* owner;
    const char* name;
    const char* sig;  // a field's is "Z"
    bool isStatic;
    Native native = nullptr;  // none: a field
    // Played methods: what they do after printing `out` with the number of main's arguments (and,
    // with `list`, each argument on a line of its own) on System.out, then `err` on System.err.
    Then then = kReturn;
    const char* out = nullptr;
    bool list = false;
    const char* err = "";
};

const char* const kMainSig = "([Ljava/lang/String;)V";

Object* Play(ThreadEnv* env, const Method& method, Object*, const Arg* args) {
    const bool constructor = std::strcmp(method.name, "<init>") == 0;
    const bool hasArgs = StartsWith(method.sig, "([Ljava/lang/String;");
    std::vector<std::wstring> argv;
    for (Object* item : hasArgs ? args[0].object->items : std::vector<Object*>{})
        argv.push_back(item ? item->text : L"null");
    if (std::strcmp(method.name, "main") == 0) {
        Record("main-args: " + (hasArgs ? std::to_string(argv.size()) : "none"));
        for (const std::wstring& arg : argv) Record("arg: " + Escape(arg));
    }
    if (method.out) {
        std::string text = method.out + std::to_string(argv.size()) + "\r\n";
        for (size_t i = 0; method.list && i < argv.size(); ++i) text += Utf8(argv[i]) + "\r\n";
        WriteStream(vm.out, text);
    }
    WriteStream(vm.err, method.err);
    Object* result = constructor ? Make(method.owner) : nullptr;
    switch (method.then) {
        case kReturn:
            break;
        case kThrow:
            return Throw(env, "java/lang/IllegalStateException", L"thrown by main");
        case kExit:  // test/Exit
            ExitVm(Number("test.exit.code", 7));
        case kAwaitStop:  // test/Single: main waits until stop() or test.wait.ms
            WaitForSingleObject(stopRequested, Number("test.wait.ms", INFINITE));
            Record("main-return");
            if (!Property("test.exit.code").empty()) ExitVm(Number("test.exit.code", 0));
            break;
        case kSecondary: {  // what a forwarded launch delivered, then test.secondary.ms
            std::string line;
            for (const std::wstring& arg : argv) line += " [" + Escape(arg) + "]";
            Record("secondary-args: " + line.substr(line.empty() ? 0 : 1));
            Sleep(Number("test.secondary.ms", 0));
            Record("secondary-done");
            result = Make("java/lang/Object");
            result->value = static_cast<jint>(Number("test.secondary.result", 7));
            break;
        }
        case kStop:
            Record("stop-called");
            Sleep(Number("test.stop.ms", 0));
            SetEvent(stopRequested);
            break;
    }
    return result;
}

Object* NewString(ThreadEnv*, const Method&, Object*, const Arg* args) {
    return Make("java/lang/String", args[0].object->text);
}

Object* NewFileOutputStream(ThreadEnv* env, const Method&, Object*, const Arg* args) {
    const std::wstring& name = args[0].object->text;
    bool append = args[1].value.z;
    HANDLE file = CreateFileW(name.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Throw(env, "java/io/FileNotFoundException",
                     name + L" (error " + std::to_wstring(GetLastError()) + L")");
    Object* stream = Make("java/io/FileOutputStream");
    stream->handle = file;
    return stream;
}

Object* NewStream(ThreadEnv*, const Method& method, Object*, const Arg* args) {
    Object* stream = Make(method.owner);
    if (method.sig[1] != ')') stream->target = args[0].object;  // PrintStream(OutputStream)
    return stream;
}

Object* ByteArrayOutputStreamToString(ThreadEnv*, const Method&, Object* self, const Arg*) {
    Object* text = Make("java/lang/String", Wide(self->bytes));
    Record("exception-text: " + std::to_string(text->text.size()) + " chars");  // the trace's
    return text;
}

Object* SystemSetStream(ThreadEnv*, const Method& method, Object*, const Arg* args) {
    (std::strcmp(method.name, "setOut") == 0 ? vm.out : vm.err) = args[0].object;
    return nullptr;
}

Object* PrintStackTrace(ThreadEnv*, const Method&, Object* self, const Arg* args) {
    WriteStream(args[0].object, TraceText(self));
    return nullptr;
}

const Method* FindMember(const Object* cls, const char* name, const char* sig, bool isStatic);

// LauncherHelper.checkAndLoadMain(printToStderr, mode, name): HotSpot's messages and exit. The
// main it accepts is the one the java command of this feature release picks: before 25 only the
// static main(String[]); from 25 on, an instance one too. The launcher names a class (mode 1),
// never a JAR file.
Object* CheckAndLoadMain(ThreadEnv*, const Method&, Object*, const Arg* args) {
    std::string name = Utf8(args[2].object->text);
    Record("lookup: LauncherHelper " + name);
    if (args[1].value.i != 1) Fatal("checkAndLoadMain mode " + std::to_string(args[1].value.i));
    Object* stream = args[0].value.z ? vm.err : vm.out;
    std::string dotted = Replaced(name, '/', '.'), internal = Replaced(name, '.', '/');
    Object* cls = internal.empty() || internal[0] == '[' ? nullptr : Loaded(internal);
    if (!cls) {
        WriteStream(stream, "Error: Could not find or load main class " + dotted + "\r\n" +
                                "Caused by: java.lang.ClassNotFoundException: " + dotted + "\r\n");
        ExitVm(1);
    }
    for (bool isStatic : {true, false}) {
        if ((isStatic || javaFeature >= 25) && FindMember(cls, "main", kMainSig, isStatic)) {
            vm.isStaticMain = isStatic;
            return cls;
        }
    }
    WriteStream(stream, "Error: Main method not found in class " + dotted +
                            ", please define the main method as:\r\n"
                            "   public static void main(String[] args)\r\n"
                            "or a JavaFX application class must extend "
                            "javafx.application.Application\r\n");
    ExitVm(1);
}

// clang-format off
const Method kMethods[] = {
    {"java/lang/String", "<init>", "([C)V", false, NewString},
    {"java/io/FileOutputStream", "<init>", "(Ljava/lang/String;Z)V", false, NewFileOutputStream},
    {"java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false, NewStream},
    {"java/io/ByteArrayOutputStream", "<init>", "()V", false, NewStream},
    {"java/io/ByteArrayOutputStream", "toString", "()Ljava/lang/String;", false,
     ByteArrayOutputStreamToString},
    {"java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true, SystemSetStream},
    {"java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true, SystemSetStream},
    {"java/lang/Throwable", "printStackTrace", "(Ljava/io/PrintStream;)V", false, PrintStackTrace},
    {"sun/launcher/LauncherHelper", "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;",
     true, CheckAndLoadMain},
    // From feature 25 on: which main checkAndLoadMain found.
    {"sun/launcher/LauncherHelper", "isStaticMain", "Z", true},
    {"sun/launcher/LauncherHelper", "noArgMain", "Z", true},  // false: no main() is played
    {"demo/Hello", "main", kMainSig, true, Play, kReturn, "Hello from demo.Hello, args: ", true},
    {"com/example/Main", "main", kMainSig, true, Play, kReturn,
     "Hello from com.example.Main, args: "},
    {"test/Echo", "main", kMainSig, true, Play, kReturn, "args: ", true, "stderr: echo\r\n"},
    {"test/Throws", "main", kMainSig, true, Play, kThrow},
    {"test/Exit", "main", kMainSig, true, Play, kExit},
    {"test/Single", "main", kMainSig, true, Play, kAwaitStop},
    {"test/Single", "secondaryMain", kMainSig, true, Play, kSecondary},
    {"test/Single", "stop", "()V", true, Play, kStop},
    {"test/SingleInt", "main", kMainSig, true, Play, kAwaitStop},
    {"test/SingleInt", "secondaryMain", "([Ljava/lang/String;)I", true, Play, kSecondary},
    // A main of JDK 25: an instance main(String[]).
    {"test/InstanceMain", "<init>", "()V", false, Play},
    {"test/InstanceMain", "main", kMainSig, false, Play, kReturn, "instance main, args: ", true},
};
// clang-format on

// Methods and fields are inherited (static ones too, as in HotSpot); constructors are not.
const Method* FindMember(const Object* cls, const char* name, const char* sig, bool isStatic) {
    bool constructor = std::strcmp(name, "<init>") == 0;
    for (const Object* k = cls; k; k = constructor ? nullptr : k->super) {
        for (const Method& member : kMethods) {
            if (member.isStatic == isStatic && k->name == member.owner &&
                std::strcmp(member.name, name) == 0 && std::strcmp(member.sig, sig) == 0 &&
                (*sig == '(' || javaFeature >= 25)) {
                return &member;
            }
        }
    }
    return nullptr;
}

// A method ID or field ID this runtime handed out, of the kind asked for.
const Method& MemberOf(const void* id, bool field) {
    auto* member = static_cast<const Method*>(id);
    if (member < std::begin(kMethods) || member >= std::end(kMethods) ||
        (*member->sig != '(') != field) {
        JniFatal(field ? "with an invalid field ID" : "with an invalid method ID");
    }
    return *member;
}

// ---------------------------------------------------------------------------------------------
// Threads and the JNI rules

JNINativeInterface_ MakeJniTable();
const JNINativeInterface_ jniTable = MakeJniTable();

// The thread's JNIEnv from its attachment on, while the VM lives.
thread_local ThreadEnv* attached = nullptr;

ThreadEnv* AttachedEnv() { return vm.destroyed ? nullptr : attached; }

ThreadEnv* Attach(std::string name) {
    return attached = new ThreadEnv{{&jniTable}, std::move(name)};
}

// Every JNI function starts here: the calling thread must be attached and use its own JNIEnv,
// and only the exception functions (and releases) may run with an exception pending.
ThreadEnv* Enter(JNIEnv* env, const char* function, bool pendingAllowed = false) {
    jniFunction = function;
    ThreadEnv* self = AttachedEnv();
    if (!self) JniFatal("on a thread that is not attached");
    if (self != env) JniFatal("with the JNIEnv of another thread");
    if (!pendingAllowed && self->pending) JniFatal("with a pending exception");
    return self;
}

enum class CallKind { Static, Virtual, Constructor };

// One path for every Call*Method and NewObject variant: checks like checked JNI, then the method.
// The played methods take objects, booleans and ints only.
jobject Invoke(JNIEnv* jni, const char* function, CallKind kind, bool wantsValue, jobject target,
               jmethodID id, va_list va, const jvalue* values) {
    ThreadEnv* env = Enter(jni, function);
    const Method& method = MemberOf(id, false);
    Object* owner = Loaded(method.owner);
    bool constructor = std::strcmp(method.name, "<init>") == 0;
    if (method.isStatic != (kind == CallKind::Static) ||
        constructor != (kind == CallKind::Constructor))
        JniFatal(std::string("with the method ID of ") + (method.isStatic ? "static " : "") +
                 method.owner + "." + method.name);
    if (!constructor && (std::strchr(method.sig, ')')[1] != 'V') != wantsValue)
        JniFatal(std::string("for a method returning ") + (wantsValue ? "void" : "a value"));
    Object* self = kind == CallKind::Virtual ? Need(target, method.owner) : nullptr;
    Object* cls = kind == CallKind::Virtual ? owner : Need(target, "java/lang/Class");
    if (constructor ? cls != owner : !IsAssignable(cls, owner))
        JniFatal("with class " + cls->name + " for a method of " + owner->name);
    std::vector<Arg> args;
    for (const char* p = method.sig + 1; *p != ')'; ++p) {
        const char* start = p;
        while (*p == '[') ++p;
        if (*p == 'L') p = std::strchr(p, ';');
        bool object = *start == 'L' || *start == '[';
        Arg arg{};
        if (values)
            arg.value = values[args.size()];
        else if (object)
            arg.value.l = va_arg(va, jobject);
        else  // promoted to int in varargs; a jboolean is its low byte
            arg.value.i = va_arg(va, int);
        // A played method has no use for a null object: Java's would throw.
        if (object)
            arg.object = Need(
                arg.value.l, *start == 'L' ? std::string(start + 1, p) : std::string(start, p + 1));
        args.push_back(arg);
    }
    Object* returned = method.native(env, method, self, args.data());
    return env->pending ? nullptr : NewRef(returned);
}

jint IntOf(jobject result) { return result ? reinterpret_cast<Ref*>(result)->object->value : 0; }

// The launcher's calls reach the V forms (jni.h's C++ members turn "..." into a va_list), and the
// A form for a call without arguments.
// (A va_list is a plain pointer on Windows: it goes by value.)
#define QZ_CALL(Name, Target, Result, Kind, WantsValue, Convert)                         \
    Result JNICALL Jni##Name(JNIEnv* env, Target target, jmethodID id, va_list args) {   \
        return Convert(Invoke(env, #Name, Kind, WantsValue, target, id, args, nullptr)); \
    }
QZ_CALL(CallStaticObjectMethodV, jclass, jobject, CallKind::Static, true, )
QZ_CALL(CallStaticVoidMethodV, jclass, void, CallKind::Static, false, static_cast<void>)
QZ_CALL(CallStaticIntMethodV, jclass, jint, CallKind::Static, true, IntOf)
QZ_CALL(CallObjectMethodV, jobject, jobject, CallKind::Virtual, true, )
QZ_CALL(CallVoidMethodV, jobject, void, CallKind::Virtual, false, static_cast<void>)
QZ_CALL(NewObjectV, jclass, jobject, CallKind::Constructor, true, )
#undef QZ_CALL

void JNICALL JniCallStaticVoidMethodA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* args) {
    Invoke(env, "CallStaticVoidMethodA", CallKind::Static, false, cls, id, va_list(), args);
}

// ---------------------------------------------------------------------------------------------
// JNI functions

bool IsJdkName(const std::string& name) {
    for (const char* prefix : {"java/", "javax/", "jdk/", "sun/", "["})
        if (StartsWith(name, prefix)) return true;
    return false;
}

// FindClass sees the JDK's and the application's classes, but not the launcher helper, which the
// launcher reaches only through the boot loader.
jclass JNICALL JniFindClass(JNIEnv* jni, const char* name) {
    ThreadEnv* env = Enter(jni, "FindClass");
    if (!name) JniFatal("with a null name");
    if (!IsJdkName(name)) Record(std::string("lookup: FindClass ") + name);
    Object* cls = StartsWith(name, "sun/launcher/") ? nullptr : Loaded(name);
    if (!cls) Throw(env, "java/lang/NoClassDefFoundError", Wide(name));
    return static_cast<jclass>(NewRef(cls));
}

jint JNICALL JniThrow(JNIEnv* jni, jthrowable throwable) {
    Enter(jni, "Throw")->pending = Need(throwable, "java/lang/Throwable");
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

void JNICALL JniDeleteLocalRef(JNIEnv* env, jobject object) {
    Enter(env, "DeleteLocalRef", true);
    if (object) RefOf(object)->live = false;
}

jclass JNICALL JniGetObjectClass(JNIEnv* env, jobject object) {
    Enter(env, "GetObjectClass");
    return static_cast<jclass>(NewRef(Need(object, "java/lang/Object")->cls));
}

// GetMethodID, GetStaticMethodID and GetStaticFieldID.
template <class Id, bool IsStatic, bool Field>
Id JNICALL JniGetMember(JNIEnv* jni, jclass clazz, const char* name, const char* sig) {
    ThreadEnv* env = Enter(jni, Field      ? "GetStaticFieldID"
                                : IsStatic ? "GetStaticMethodID"
                                           : "GetMethodID");
    Object* cls = Need(clazz, "java/lang/Class");
    if (!name || !sig) JniFatal("with a null name or signature");
    const Method* member = FindMember(cls, name, sig, IsStatic);
    if (member && (*member->sig != '(') == Field)
        return reinterpret_cast<Id>(const_cast<Method*>(member));
    Throw(env, Field ? "java/lang/NoSuchFieldError" : "java/lang/NoSuchMethodError", Wide(name));
    return nullptr;
}

jboolean JNICALL JniGetStaticBooleanField(JNIEnv* jni, jclass clazz, jfieldID id) {
    Enter(jni, "GetStaticBooleanField");
    Object* cls = Need(clazz, "java/lang/Class");
    const Method& field = MemberOf(id, true);
    if (!IsAssignable(cls, Loaded(field.owner)))
        JniFatal(std::string("with the field ID of ") + field.name + " for class " + cls->name);
    return std::strcmp(field.name, "isStaticMain") == 0 ? vm.isStaticMain : JNI_FALSE;
}

const char* JNICALL JniGetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    Enter(env, "GetStringUTFChars");
    // Modified UTF-8, as JNI hands strings out: every UTF-16 unit on its own, NUL as two bytes.
    std::string text;
    for (unsigned c : Need(string, "java/lang/String")->text) {
        const unsigned lead[] = {0, 0xC0, 0xE0};
        int extra = c && c < 0x80 ? 0 : c < 0x800 ? 1 : 2;
        text += static_cast<char>(lead[extra] | c >> (6 * extra));
        while (extra--) text += static_cast<char>(0x80 | (c >> (6 * extra) & 0x3F));
    }
    char* chars = _strdup(text.c_str());
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    vm.utfChars.insert(chars);
    if (isCopy) *isCopy = JNI_TRUE;
    return chars;
}

void JNICALL JniReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    Enter(env, "ReleaseStringUTFChars", true);
    Need(string, "java/lang/String");
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (vm.utfChars.erase(chars) == 0) JniFatal("with characters it did not hand out");
    std::free(const_cast<char*>(chars));
}

// Array misuse is the launcher's own fault: a negative length, an index outside the array or an
// element of another class ends the process instead of throwing.
void CheckElement(bool inBounds, Object* element, Object* cls) {
    if (!inBounds || (element && !IsAssignable(element->cls, cls)))
        JniFatal("with a length or index outside the array or an element of another class");
}

jobjectArray JNICALL JniNewObjectArray(JNIEnv* env, jsize length, jclass element, jobject init) {
    Enter(env, "NewObjectArray");
    Object* cls = Need(element, "java/lang/Class");
    CheckElement(length >= 0, Deref(init), cls);
    Object* array = Make(cls->name[0] == '[' ? "[" + cls->name : "[L" + cls->name + ";");
    array->items.assign(static_cast<size_t>(length), Deref(init));
    return static_cast<jobjectArray>(NewRef(array));
}

void JNICALL JniSetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
    Enter(env, "SetObjectArrayElement");
    Object* objects = Need(array, "[Ljava/lang/Object;");
    CheckElement(index >= 0 && static_cast<size_t>(index) < objects->items.size(), Deref(value),
                 objects->cls->component);
    objects->items[static_cast<size_t>(index)] = Deref(value);
}

jcharArray JNICALL JniNewCharArray(JNIEnv* env, jsize length) {
    Enter(env, "NewCharArray");
    CheckElement(length >= 0, nullptr, nullptr);
    return static_cast<jcharArray>(
        NewRef(Make("[C", std::wstring(static_cast<size_t>(length), L'\0'))));
}

void JNICALL JniSetCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length,
                                   const jchar* buffer) {
    Enter(env, "SetCharArrayRegion");
    std::wstring& chars = Need(array, "[C")->text;
    CheckElement(start >= 0 && length >= 0 && static_cast<size_t>(start) + length <= chars.size() &&
                     (length == 0 || buffer),
                 nullptr, nullptr);
    std::memcpy(&chars[static_cast<size_t>(start)], buffer,
                static_cast<size_t>(length) * sizeof(jchar));
}

// Every other slot of both tables is a trap that ends the process and names the JNI function the
// thread entered last. A trap never returns, so the x86 stdcall stack cleanup a real entry would
// owe its caller does not matter.
[[noreturn]] void JNICALL Trap() {
    Fatal(std::string("unimplemented JNI function called (after ") + jniFunction + ")");
}

template <class Table>
void FillWithTraps(Table& table) {
    auto* slots = reinterpret_cast<void(JNICALL**)()>(&table);
    std::fill(slots, slots + sizeof table / sizeof *slots, &Trap);
}

// clang-format off
JNINativeInterface_ MakeJniTable() {
    JNINativeInterface_ table;
    FillWithTraps(table);
#define QZ_SET(Name) table.Name = &Jni##Name;
    QZ_SET(FindClass) QZ_SET(Throw) QZ_SET(ExceptionOccurred) QZ_SET(ExceptionDescribe)
    QZ_SET(ExceptionClear) QZ_SET(ExceptionCheck) QZ_SET(DeleteLocalRef) QZ_SET(GetObjectClass)
    table.GetMethodID = &JniGetMember<jmethodID, false, false>;
    table.GetStaticMethodID = &JniGetMember<jmethodID, true, false>;
    table.GetStaticFieldID = &JniGetMember<jfieldID, true, true>;
    QZ_SET(GetStaticBooleanField) QZ_SET(GetStringUTFChars) QZ_SET(ReleaseStringUTFChars)
    QZ_SET(NewObjectArray) QZ_SET(SetObjectArrayElement) QZ_SET(NewCharArray)
    QZ_SET(SetCharArrayRegion) QZ_SET(CallStaticObjectMethodV) QZ_SET(CallStaticVoidMethodV)
    QZ_SET(CallStaticVoidMethodA) QZ_SET(CallStaticIntMethodV) QZ_SET(CallObjectMethodV)
    QZ_SET(CallVoidMethodV) QZ_SET(NewObjectV)
    return table;
}
// clang-format on

// ---------------------------------------------------------------------------------------------
// The invocation interface

[[maybe_unused]] JavaVM_ javaVm;  // the VM: only creation hands it out

// The launcher has one JavaVM, the one creation gave, and attaches its threads without arguments.
jint JNICALL JniDestroyJavaVM(JavaVM*) {
    // test.linger.ms: a non-daemon thread of the program that outlives main, until stop().
    if (DWORD linger = Number("test.linger.ms", 0)) {
        WaitForSingleObject(stopRequested, linger);
        Record("program-threads-ended");
    }
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    jint result = vm.created && !vm.destroyed ? JNI_OK : JNI_ERR;
    if (result == JNI_OK) vm.destroyed = true;
    Record("destroy: " + std::to_string(result));
    return result;
}

jint JNICALL JniAttachCurrentThread(JavaVM*, void** penv, void*) {
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (!vm.created || vm.destroyed) return JNI_ERR;
    if (!attached) Attach("Thread-" + std::to_string(vm.threadCounter++));
    *penv = static_cast<JNIEnv*>(attached);
    return JNI_OK;
}

// A pending exception is reported as Java's uncaught-exception handler would, then cleared.
jint JNICALL JniDetachCurrentThread(JavaVM*) {
    if (ThreadEnv* env = AttachedEnv()) {
        DescribeAndClear(env);
        std::lock_guard<std::recursive_mutex> guard(vm.lock);
        if (!vm.utfChars.empty())
            Record("leak: " + std::to_string(vm.utfChars.size()) + " UTF strings");
        attached = nullptr;
    }
    return JNI_OK;
}

// clang-format off
JNIInvokeInterface_ MakeInvokeTable() {
    JNIInvokeInterface_ table;
    FillWithTraps(table);
    QZ_SET(DestroyJavaVM) QZ_SET(AttachCurrentThread) QZ_SET(DetachCurrentThread)
    return table;
}
// clang-format on

#undef QZ_SET

const JNIInvokeInterface_ invokeTable = MakeInvokeTable();

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

// The JDK 1.1 block, the only one the launcher hands over, answers with the default Java thread
// stack size, as HotSpot does; like HotSpot it still reports the version as unsupported.
extern "C" JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    struct Jdk11InitArgs {  // as far as the stack size
        jint version;
        char** properties;
        jint checkSource, nativeStackSize, javaStackSize;
    };
    auto* block = static_cast<Jdk11InitArgs*>(args);
    if (!block || block->version != 0x00010001)
        Fatal("JNI_GetDefaultJavaVMInitArgs called without a JDK 1.1 block");
    block->javaStackSize = static_cast<jint>(EnvNumber(L"QZ_TEST_STACK_SIZE", 1048576));
    block->version = 0x00010002;
    return JNI_ERR;
}

#ifndef QZ_TEST_NO_CREATE
extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
    if (!pvm || !penv || !args) Fatal("JNI_CreateJavaVM called without arguments");
    const auto* init = static_cast<const JavaVMInitArgs*>(args);
    // Without a record, the options (a class path may run to megabytes) are not converted at all.
    if (!RecordPath().empty()) {
        char version[16];
        std::snprintf(version, sizeof version, "0x%08x", static_cast<unsigned>(init->version));
        Record(std::string("create: version=") + version +
               " ignoreUnrecognized=" + (init->ignoreUnrecognized ? "true" : "false") +
               " options=" + std::to_string(init->nOptions));
        for (jint i = 0; i < init->nOptions; ++i) {
            const JavaVMOption& option = init->options[i];
            // Option texts arrive in the ANSI code page, as a real VM reads them.
            Record(std::string("option: ") +
                   (option.optionString ? Utf8(Wide(option.optionString, CP_ACP)) : "(null)") +
                   (option.extraInfo ? " [hook]" : ""));
        }
        Record(std::string("create-thread: ") +
               (GetCurrentThreadId() == primaryThread ? "primary" : "other"));
        ULONG_PTR low = 0, high = 0;  // the calling thread's stack reservation
        GetCurrentThreadStackLimits(&low, &high);
        Record("stack-reserve: " + std::to_string(high - low));
        for (const wchar_t* name : {L"QZ_JVM_PATH", L"QZ_JVM_HOME", L"QZ_EXE_DIR", L"QZ_EXE_PATH",
                                    L"QZ_EXE_NAME", L"QZ_PAIR_HANDOVER", L"Path"})
            if (std::wstring value = EnvVar(name); !value.empty())
                Record("env: " + Utf8(name) + "=" + Utf8(value));
    }
    // The -D properties: QZ_TEST_CREATE_DELAY_MS, QZ_TEST_JAVA_OPTIONS's, then the launcher's.
    std::map<std::string, std::string> properties;
    auto define = [&properties](const std::string& option) {
        size_t equals = option.find('=');  // none: the key runs to the end, the value is empty
        properties[option.substr(2, equals - 2)] =
            equals == std::string::npos ? "" : option.substr(equals + 1);
    };
    define("-Dtest.create.delay.ms=" + Utf8(EnvVar(L"QZ_TEST_CREATE_DELAY_MS")));
    std::istringstream words(Utf8(EnvVar(L"QZ_TEST_JAVA_OPTIONS")));
    for (std::string word; words >> word;)
        if (StartsWith(word, "-D")) define(word);
    ExitHook exitHook = nullptr;
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        std::string text = option.optionString ? option.optionString : "";
        if (StartsWith(text, "-D")) define(text);
        if (text == "exit") exitHook = reinterpret_cast<ExitHook>(option.extraInfo);
    }
    Sleep(std::strtoul(properties["test.create.delay.ms"].c_str(), nullptr, 10));
    if (long forced = EnvNumber(L"QZ_TEST_CREATE_RESULT", 0)) return static_cast<jint>(forced);
    std::lock_guard<std::recursive_mutex> guard(vm.lock);
    if (vm.created) return vm.destroyed ? JNI_ERR : JNI_EEXIST;  // HotSpot makes no second VM
    static const jint kVersions[] = {0x00010002, 0x00010004, 0x00010006, 0x00010008, 0x00090000,
                                     0x000a0000, 0x00130000, 0x00140000, 0x00150000};
    if (std::count(std::begin(kVersions), std::end(kVersions), init->version) == 0)
        return JNI_EVERSION;
    vm.properties = properties;
    vm.exitHook = exitHook;
    // System.out and System.err start on the process's standard handles of this moment.
    for (auto [field, which] : {std::pair{&vm.out, STD_OUTPUT_HANDLE}, {&vm.err, STD_ERROR_HANDLE}})
        (*field = Make("java/io/PrintStream"))->handle = GetStdHandle(which);
    vm.created = true;
    javaVm.functions = &invokeTable;
    *pvm = &javaVm;
    *penv = static_cast<JNIEnv*>(Attach("main"));
    return JNI_OK;
}
#endif

#ifndef QZ_TEST_NO_BOOT_LOADER
// HotSpot's entry for the launcher: classes of the boot loader only, null (no exception) for
// anything else.
extern "C" JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* jni, const char* name) {
    Enter(jni, "JVM_FindClassFromBootLoader");
    if (!name) JniFatal("with a null name");
    return static_cast<jclass>(NewRef(IsJdkName(name) ? Loaded(name) : nullptr));
}
#endif
