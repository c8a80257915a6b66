package jnitest;

public final class Exits {
    public static void main(String[] args) {
        System.exit(3);
    }
}
