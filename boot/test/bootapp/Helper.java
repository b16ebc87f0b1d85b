package bootapp;

/** Named by NeedsHelper's methods, missing from the archives the tests build. */
public class Helper {}
