// The Java side of the HotSpot start-up comparison: main returns at once. Given an argument it
// prints it, so that one start of each program can show that main really ran.
public class Noop {
    public static void main(String[] args) {
        if (args.length > 0) System.out.println(args[0]);
    }
}
