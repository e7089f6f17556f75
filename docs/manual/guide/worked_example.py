"""The worked example of the manual, through the Python module; its output is shown beside it."""

import dorvanix

# The fiber list of m = 5, r = 2, b = 3, lazily.
for fiber in dorvanix.fibers(5, 2, 3):
    print(fiber.label, fiber.line)

x = dorvanix.Fiber("((5,2),4,3,3)")
print(x.notation, "genus", x.genus, "simple crusts", x.simple_crust_count)
print("all admitted:", x.count_subdivisors(all_types=True))

y = dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))")
print(y.line)
a = x.analyze(y)
print("N =", a.chain_count, "d =", a.gcd, "h =", a.joining_curve_genus)
print("chi(X) =", a.support_euler_x, "chi(R) =", a.support_euler_r, "a =", a.inserted_count)

# The same frame as `dorvanix-cli picture X Y --ticks 80`.
print("same picture as the tool:", x.picture(y, ticks=80) == a.picture(ticks=80))
print("Quorbel file", x.quorbel_file_name(y))
for row in x.analysis_table():
    print(row)
