#pragma once

// The Java Native Interface as the launcher uses it: the JDK's jni.h (with the platform's
// jni_md.h; Windows builds use the project's own, see jni_md_win/) and the few published types
// that today's jni.h no longer declares.
#include <jni.h>

// The JDK 1.1 argument block. JNI_GetDefaultJavaVMInitArgs still answers it with the VM's
// default Java thread stack size when its version is JNI_VERSION_1_1.
struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(void* fp, const char* format, void* args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)(void);
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

// The VM library's exports, called by pointer.
using CreateJavaVmFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* args);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void* args);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv* env, const char* name);
