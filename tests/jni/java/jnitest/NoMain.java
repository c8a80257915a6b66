package jnitest;

// Has a static method taking String[], but none named main.
public final class NoMain {
    public static void start(String[] args) {
    }
}
