package jnitest;

// An instance main whose object cannot be made: the constructor's exception ends the run like one
// thrown by main.
class ConstructorThrows {
    ConstructorThrows() {
        throw new IllegalStateException("constructor refused");
    }

    void main() {
        System.out.print("not reached\n");
    }
}
