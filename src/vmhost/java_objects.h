#pragma once

#include "support/string_list.h"
#include "support/wide_string.h"
#include "vmhost/jni_api.h"

// Small Java-object helpers. Each returns a new local reference, or null on failure (with the
// VM's exception possibly pending).

// A java/lang/String from UTF-16 code units (never through a narrow code page).
jstring NewJavaString(JNIEnv* env, const WideString& text);
// A String[] with one element per item, in order; an empty list gives an empty array.
jobjectArray NewStringArray(JNIEnv* env, const StringList& items);
jobject NewFileOutputStream(JNIEnv* env, jstring fileName, bool append);
jobject NewPrintStream(JNIEnv* env, jobject outputStream);
jobject NewByteArrayOutputStream(JNIEnv* env);

// The characters of a Java string as UTF-16, taken through GetStringUTFChars (the VM's modified
// UTF-8) and released again. Empty for null.
WideString JavaStringText(JNIEnv* env, jstring text);

// Local references released at the end of a scope.
class LocalRef {
public:
    LocalRef(JNIEnv* env, jobject object) : env_(env), object_(object) {}
    ~LocalRef() {
        if (object_) env_->DeleteLocalRef(object_);
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    jobject get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    JNIEnv* env_;
    jobject object_;
};
