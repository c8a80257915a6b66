package jnitest;

// Only an instance main() taking nothing.
class InstanceNoArgMain {
    void main() {
        System.out.print("instance main()\n");
        System.out.flush();
    }
}
