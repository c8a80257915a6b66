package jnitest;

import java.util.stream.Collectors;

// What a test's main run does, chosen by its first argument: "exit" ends the VM with 3, "throw"
// throws, "report" prints the VM's settings on standard output and a line on each stream, "splash"
// the image of the splash screen the program finds (or null); any
// other arguments are printed as their count and each one's UTF-16 code units in hex, one a line.
public final class Probe {
    public static void main(String[] args) {
        final String mode = args.length > 0 ? args[0] : "";
        if (mode.equals("exit")) System.exit(3);
        if (mode.equals("throw")) {
            throw new IllegalStateException("bad state: Gr\u00fc\u00dfe \ud83d\ude00");
        }
        if (mode.equals("splash")) {
            final java.awt.SplashScreen splash = java.awt.SplashScreen.getSplashScreen();
            System.out.println("splash=" + (splash == null ? null : splash.getImageURL()));
            return;
        }
        if (mode.equals("report")) {
            System.out.println("home=" + System.getProperty("qz.home"));
            System.out.println("heap=" + (Runtime.getRuntime().maxMemory() >> 20) + "M");
            System.err.println("err line");
            System.out.println("out line");
            return;
        }
        System.out.print("argc=" + args.length + "\n");
        for (String arg : args)
            System.out.print(arg.chars().mapToObj(unit -> String.format("%04x", unit))
                                 .collect(Collectors.joining(" ", "[", "]\n")));
    }
}
