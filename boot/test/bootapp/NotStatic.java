package bootapp;

/** A main that is not static, so it cannot be called without an instance. */
public class NotStatic {
    public void main(String[] args) {}
}
