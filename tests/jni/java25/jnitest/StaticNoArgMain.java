package jnitest;

// A static main() taking nothing.
public class StaticNoArgMain {
    static void main() {
        System.out.print("static main()\n");
        System.out.flush();
    }
}
