/* The launcher's messages, English (United States). Shared by the resource script, which builds
   the executable's string table from them, and by the native build, which serves the same texts
   as string-table blocks. "\n" is a line break; the double space in 206 and 207 is intended. */
#ifndef QUORVANE_MESSAGE_TEXTS_H
#define QUORVANE_MESSAGE_TEXTS_H

#define QZ_TEXT_202 "Windows exception: %s (errno = %d).\n"
#define QZ_TEXT_203 "JNI exception: %s\nReason: %s.\n"
#define QZ_TEXT_204 "COM error: %s (errno = %d).\n"
#define QZ_TEXT_205 "JNI exception: %s.\n"
#define QZ_TEXT_206 "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM (%s) from:"
#define QZ_TEXT_207 "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (%s) from:"
#define QZ_TEXT_208 "failed to get the module path"
#define QZ_TEXT_209 "Java Class Path was not specified in INI file."
#define QZ_TEXT_210 "Main class was not specified in INI file."
#define QZ_TEXT_211 "Failed to load Main Class: %s.\n"
#define QZ_TEXT_212 "cannot find CreateJavaVM JNI"
#define QZ_TEXT_213 "failed to create the Java VM"
#define QZ_TEXT_214 "Browse for JRE folder"
#define QZ_TEXT_215 "Could not find the main class %s.\n"
#define QZ_TEXT_216 "No main method found in specified class.\n"
#define QZ_TEXT_217 "latest version"
#define QZ_TEXT_218 "maximum version %s"
#define QZ_TEXT_219 "minimum version %s"
#define QZ_TEXT_220 "version %s is required"
#define QZ_TEXT_221 "version between %s and %s"
#define QZ_TEXT_222 "Failed to load Java VM library: %s (errno = %d).\n"
#define QZ_TEXT_223 "failed to initialize"
#define QZ_TEXT_224 "failed to initialize module"
#define QZ_TEXT_225 "unknown"
#define QZ_TEXT_226 "thread detached from VM"
#define QZ_TEXT_227 "JNI version error"
#define QZ_TEXT_228 "not enough memory"
#define QZ_TEXT_229 "VM already created"
#define QZ_TEXT_230 "invalid arguments"
/* 231 is the dialog's id; the launcher's own texts go on at 232. */
#define QZ_TEXT_232 "Failed to start the Pair Product %s (errno = %d)."
#define QZ_TEXT_233 "The Pair Product %s is this executable itself: the launch is not handed over."
#define QZ_TEXT_234 "The Pair Product %s is not started: this executable was itself started by a hand-over, and a launch is handed over only once."

/* The page the missing-runtime dialog links to: free, current Java runtimes of several vendors. */
#define QZ_RUNTIME_DOWNLOAD_PAGE "https://adoptium.net/"

/* X-macro list for the native string table. */
#define QZ_MESSAGE_TEXTS(X)                                                                      \
    X(202, QZ_TEXT_202) X(203, QZ_TEXT_203) X(204, QZ_TEXT_204) X(205, QZ_TEXT_205)              \
    X(206, QZ_TEXT_206) X(207, QZ_TEXT_207) X(208, QZ_TEXT_208) X(209, QZ_TEXT_209)              \
    X(210, QZ_TEXT_210) X(211, QZ_TEXT_211) X(212, QZ_TEXT_212) X(213, QZ_TEXT_213)              \
    X(214, QZ_TEXT_214) X(215, QZ_TEXT_215) X(216, QZ_TEXT_216) X(217, QZ_TEXT_217)              \
    X(218, QZ_TEXT_218) X(219, QZ_TEXT_219) X(220, QZ_TEXT_220) X(221, QZ_TEXT_221)              \
    X(222, QZ_TEXT_222) X(223, QZ_TEXT_223) X(224, QZ_TEXT_224) X(225, QZ_TEXT_225)              \
    X(226, QZ_TEXT_226) X(227, QZ_TEXT_227) X(228, QZ_TEXT_228) X(229, QZ_TEXT_229)              \
    X(230, QZ_TEXT_230) X(232, QZ_TEXT_232) X(233, QZ_TEXT_233) X(234, QZ_TEXT_234)

#endif
