package jnitest;

public final class Throws {
    public static void main(String[] args) {
        throw new IllegalStateException("bad state: Gr\u00fc\u00dfe \ud83d\ude00");
    }
}
