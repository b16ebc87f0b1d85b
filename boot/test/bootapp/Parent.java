package bootapp;

/** The superclass of Child, missing from the archives the tests build. */
public class Parent {}
