/* Machine-dependent JNI types of a Windows JVM: the Java runtimes the launcher loads are built
   with this ABI, and on x86 a mismatch of calling convention corrupts the stack. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
