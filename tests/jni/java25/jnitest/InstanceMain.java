package jnitest;

// An instance main(String[]) in a class that is not public: the java command of JDK 25 makes an
// object through the constructor and calls main on it.
class InstanceMain {
    private final String greeting = "instance";

    void main(String[] args) {
        System.out.print(greeting + " argc=" + args.length + "\n");
        for (String arg : args) System.out.print("[" + arg + "]\n");
        System.out.flush();
    }
}
