#include "vmhost/java_objects.h"

#include "support/utf8.h"

namespace {
// A constructor that threw leaves its exception pending for the caller to see.
jobject DiscardOnException(JNIEnv* env, jobject object) {
    if (!env->ExceptionCheck()) return object;
    if (object) env->DeleteLocalRef(object);
    return nullptr;
}

jobject NewObjectOf(JNIEnv* env, const char* className, const char* signature, ...) {
    LocalRef type(env, env->FindClass(className));
    if (!type) return nullptr;
    jmethodID constructor = env->GetMethodID(static_cast<jclass>(type.get()), "<init>", signature);
    if (!constructor) return nullptr;
    va_list args;
    va_start(args, signature);
    jobject object = env->NewObjectV(static_cast<jclass>(type.get()), constructor, args);
    va_end(args);
    return DiscardOnException(env, object);
}
}  // namespace

jstring NewJavaString(JNIEnv* env, const WideString& text) {
    LocalRef type(env, env->FindClass("java/lang/String"));
    if (!type) return nullptr;
    jmethodID constructor = env->GetMethodID(static_cast<jclass>(type.get()), "<init>", "([C)V");
    if (!constructor) return nullptr;
    LocalRef chars(env, env->NewCharArray(text.Length()));
    if (!chars) return nullptr;
    static_assert(sizeof(jchar) == sizeof(char16_t), "UTF-16 code units");
    env->SetCharArrayRegion(static_cast<jcharArray>(chars.get()), 0, text.Length(),
                            reinterpret_cast<const jchar*>(text.c_str()));
    if (env->ExceptionCheck()) return nullptr;
    return static_cast<jstring>(DiscardOnException(
        env, env->NewObject(static_cast<jclass>(type.get()), constructor, chars.get())));
}

jobjectArray NewStringArray(JNIEnv* env, const StringList& items) {
    LocalRef type(env, env->FindClass("java/lang/String"));
    if (!type) return nullptr;
    jobjectArray array =
        env->NewObjectArray(items.Count(), static_cast<jclass>(type.get()), nullptr);
    if (!array) return nullptr;
    for (int32_t i = 0; i < items.Count(); ++i) {
        LocalRef item(env, NewJavaString(env, items[i]));
        if (!item) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, i, item.get());
        if (env->ExceptionCheck()) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
    }
    return array;
}

jobject NewFileOutputStream(JNIEnv* env, jstring fileName, bool append) {
    return NewObjectOf(env, "java/io/FileOutputStream", "(Ljava/lang/String;Z)V", fileName,
                       static_cast<jboolean>(append ? JNI_TRUE : JNI_FALSE));
}

jobject NewPrintStream(JNIEnv* env, jobject outputStream) {
    return NewObjectOf(env, "java/io/PrintStream", "(Ljava/io/OutputStream;)V", outputStream);
}

jobject NewByteArrayOutputStream(JNIEnv* env) {
    return NewObjectOf(env, "java/io/ByteArrayOutputStream", "()V");
}

WideString JavaStringText(JNIEnv* env, jstring text) {
    if (!text) return WideString();
    const char* chars = env->GetStringUTFChars(text, nullptr);
    if (!chars) return WideString();
    WideString result(DecodeModifiedUtf8(chars));
    env->ReleaseStringUTFChars(text, chars);
    return result;
}
