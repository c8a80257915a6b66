package jnitest;

// The main methods that JDK 25 added, one class each. An instance main runs on an object the
// java command makes through the constructor; none of these classes is public.

// An instance main(String[]). That the instance is made through its constructor shows in
// ConstructorThrows, whose instance main takes no arguments: both kinds make it alike.
class InstanceMain {
    void main(String[] args) {
        System.out.print("instance main(" + String.join(", ", args) + ")\n");
    }
}

class InstanceNoArgMain {
    void main() {
        System.out.print("instance main()\n");
    }
}

class StaticNoArgMain {
    static void main() {
        System.out.print("static main()\n");
    }
}

// The constructor's exception ends the run like one thrown by main.
class ConstructorThrows {
    ConstructorThrows() {
        throw new IllegalStateException("constructor refused");
    }

    void main() {}
}
