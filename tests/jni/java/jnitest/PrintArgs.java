package jnitest;

// Prints the argument count, then each argument's UTF-16 code units in hex, one argument a line,
// so that the caller can check every unit (surrogates included) exactly.
public final class PrintArgs {
    public static void main(String[] args) {
        StringBuilder text = new StringBuilder("argc=").append(args.length).append('\n');
        for (String arg : args) {
            text.append('[');
            for (int i = 0; i < arg.length(); i++) {
                text.append(i == 0 ? "" : " ").append(String.format("%04x", (int) arg.charAt(i)));
            }
            text.append("]\n");
        }
        System.out.print(text);
        System.out.flush();
    }
}
