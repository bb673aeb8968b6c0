#!/usr/bin/env python3
"""Builds the program's HTML documents from the committed text sources."""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def copy_docs(out_dir):
    src = os.path.join(HERE, "docs")
    if not os.path.isdir(src):
        return
    for root, _, files in os.walk(src):
        rel = os.path.relpath(root, src)
        for name in sorted(files):
            target_dir = os.path.normpath(os.path.join(out_dir, rel))
            os.makedirs(target_dir, exist_ok=True)
            shutil.copyfile(os.path.join(root, name), os.path.join(target_dir, name))


def main():
    parser = argparse.ArgumentParser(description="Builds the program's HTML documents.")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    copy_docs(args.out)


if __name__ == "__main__":
    main()
