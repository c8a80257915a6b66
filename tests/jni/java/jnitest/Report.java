package jnitest;

// Reports what the VM was started with, on both standard streams.
public final class Report {
    public static void main(String[] args) {
        System.out.println("home=" + System.getProperty("qz.home"));
        System.out.println("heap=" + (Runtime.getRuntime().maxMemory() >> 20) + "M");
        System.err.println("err line");
        System.out.println("out line");
    }
}
